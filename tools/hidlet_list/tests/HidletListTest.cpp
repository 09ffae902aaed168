// hidlet-list run over fabricated sysfs trees: what it reads of each interface, its verdicts, what
// the library hands out, and its answers to bad arguments.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "FakeSysfs.h"

namespace {

struct Outcome
{
    int status = -1;   // the exit code; -1 when it did not exit normally
    std::string out;
    std::string err;
};

std::string quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs hidlet-list over the tree with the Linux backend.
Outcome hidletList(const FakeSysfs& tree, const std::vector<std::string>& args)
{
    const std::string errFile = tree.roots().dev + "/../hidlet-list.err";
    std::string command = "env -u HIDLET_SIM HIDLET_SYSFS_ROOT=" + quoted(tree.roots().sysfs) +
                          " HIDLET_DEV_ROOT=" + quoted(tree.roots().dev) + " " + quoted(HIDLET_LIST);
    for (const std::string& arg : args)
        command += " " + quoted(arg);
    command += " 2>" + quoted(errFile);
    Outcome run;
    FILE* out = ::popen(command.c_str(), "r");
    if (!out)
        return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        run.out.append(buffer, got);
    const int status = ::pclose(out);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ostringstream err;
    err << std::ifstream(errFile).rdbuf();
    run.err = err.str();
    return run;
}

// The lines that hidlet-list prints for one interface, from its name line to the next one.
std::string blockOf(const std::string& out, const std::string& name)
{
    const std::string::size_type start = out.find(name + "  ");
    if (start == std::string::npos)
        return std::string();
    const std::string::size_type end = out.find("\nhidraw", start);
    const std::string::size_type library = out.find("\nlibrary:", start);
    return out.substr(start, std::min(end, library) - start);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HidletListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const FakeSysfs::Usb usb{1, "1.2", 0x0102};
        tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(65, 65, true), &usb);
        tree.addHidraw("hidraw1", 2, 0x1234, 0x5678, keyboardDescriptor(), &usb);
        tree.addHidraw("hidraw2", 3, 0x1234, 0x9999, remoteDescriptor(64, 32, false));   // uhid
    }

    FakeSysfs tree;
};

TEST_F(HidletListTest, DescribesEachInterfaceAndWhatTheLibraryHandsOutForThePairs)
{
    const Outcome run = hidletList(tree, {"1234:5678"});
    EXPECT_EQ(0, run.status) << run.err;

    const std::string remote = blockOf(run.out, "hidraw0");
    EXPECT_TRUE(has(remote, "id 1234:5678  version 0x0102  location 17956864 (device path \"17956864\")")) << remote;
    EXPECT_TRUE(has(remote, "usage page 0xff00 usage 0x0001")) << remote;
    EXPECT_TRUE(has(remote, "reports: input 65, output 65 bytes (numbered, with the report id byte)")) << remote;
    EXPECT_TRUE(has(remote, "candidate: yes")) << remote;
    // The node is opened as the library opens it, and the reason it fails is printed: here the
    // fabricated node is a plain file, not the character device that sysfs lists.
    EXPECT_TRUE(has(remote, "access " + tree.roots().dev + "/hidraw0: none: cannot open " + tree.roots().dev +
                                "/hidraw0: it is not the device of "))
        << remote;

    const std::string keyboard = blockOf(run.out, "hidraw1");
    EXPECT_TRUE(has(keyboard, "candidate: no: not usage page 0xff00, usage 1")) << keyboard;

    const std::string other = blockOf(run.out, "hidraw2");
    // A uhid device: no version, a location of its own from its HID instance (3).
    EXPECT_TRUE(has(other, "version -1  location 281474976710659 (device path \"281474976710659\")")) << other;
    EXPECT_TRUE(has(other, "reports: input 64, output 32 bytes (unnumbered)")) << other;
    EXPECT_TRUE(has(other, "candidate: no: 1234:9999 is not among the given pairs")) << other;

    // The fabricated node is a plain file, so the listed remote does not open.
    EXPECT_TRUE(has(run.out, "library: 1 remote(s)\n  path \"17956864\"  id 1234:5678  version 258  reports 65/65  opens: no\n"))
        << run.out;
}

TEST_F(HidletListTest, WithoutPairsItOnlyDescribes)
{
    const Outcome run = hidletList(tree, {});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(has(blockOf(run.out, "hidraw0"), "candidate: remote family; give VID:PID to check its pair")) << run.out;
    EXPECT_FALSE(has(run.out, "library:")) << run.out;

    FakeSysfs empty;
    const Outcome none = hidletList(empty, {});
    EXPECT_EQ(0, none.status);
    EXPECT_TRUE(has(none.out, "no hidraw interfaces under " + empty.roots().sysfs + "/class/hidraw")) << none.out;
}

TEST_F(HidletListTest, BadArgumentsAreUsageErrorsAndNothingIsListed)
{
    struct Case
    {
        std::vector<std::string> args;
        const char* complaint;
    };
    const Case cases[] = {
        {{"--send", "0102"}, "--send needs a VID:PID pair"},
        {{"--send"}, "--send takes hexadecimal bytes"},
        {{"--send", "0G", "1234:5678"}, "--send takes hexadecimal bytes"},
        {{"--send", "012", "1234:5678"}, "--send takes hexadecimal bytes"},
        {{"12345678"}, "not a VID:PID pair: 12345678"},
        {{"1234:"}, "not a VID:PID pair: 1234:"},
        {{"1:10000"}, "not a VID:PID pair: 1:10000"},
    };
    for (const Case& c : cases) {
        const Outcome run = hidletList(tree, c.args);
        const std::string shown = c.args.empty() ? std::string() : c.args[0] + " ...";
        EXPECT_EQ(2, run.status) << shown;
        EXPECT_TRUE(has(run.err, c.complaint)) << shown << ": " << run.err;
        EXPECT_TRUE(has(run.err, "usage: hidlet-list")) << shown;
        EXPECT_EQ("", run.out) << shown;
    }
}

} // namespace
