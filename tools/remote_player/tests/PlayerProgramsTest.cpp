// What uhid-remote and usb-remote answer before they reach a device: the keys of a description
// their kind of remote cannot play, and what is missing on a machine that cannot play them.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

namespace {

// Runs the command line; stderr and the exit code.
std::string run(const std::string& command, int* status)
{
    std::string err;
    FILE* out = ::popen((command + " 2>&1 >/dev/null").c_str(), "r");
    if (!out)
        return err;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        err.append(buffer, got);
    const int raw = ::pclose(out);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return err;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PlayerPrograms, SayWhatTheirRemotesCannotPlayAndWhatIsMissing)
{
    // A configfs stand-in with the gadget folder: enough to get as far as counting controllers.
    char folder[] = "/tmp/player-programs-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(folder));
    const std::string configfs = folder;
    ASSERT_EQ(0, ::mkdir((configfs + "/usb_gadget").c_str(), 0755));
    const std::string placed = "'id=placed, location=0x14200000, version=0x0200, open=fail; id=plain, reply=3'";

    const struct
    {
        std::string command;
        std::vector<std::string> said;
        std::vector<std::string> notSaid;
    } cases[] = {
        {std::string("'") + UHID_REMOTE + "' --uhid /nonexistent/uhid " + placed,
         {"cannot open /nonexistent/uhid", "warning: placed: location= has no effect",
          "warning: placed: version= has no effect", "warning: placed: open= has no effect: a uhid remote always opens"},
         {"plain:"}},
        // A USB remote has a version (its bcdDevice); its location is its port's.
        {std::string("'") + USB_REMOTE + "' --configfs /nonexistent/config " + placed,
         {"configfs is not mounted at /nonexistent/config (sudo mount -t configfs none /sys/kernel/config)",
          "warning: placed: location= has no effect: the library takes it from the USB bus and port chain",
          "warning: placed: open= has no effect: a USB remote always opens"},
         {"version=", "plain:"}},
        {std::string("'") + USB_REMOTE + "' --configfs " + configfs + " --udc dummy_udc.0 'id=a; id=b'",
         {"2 remotes need as many USB device controllers, one each; there are 1 (sudo modprobe dummy_hcd num=N gives N)"},
         {}},
        {std::string("'") + USB_REMOTE + "' 'id=big, in=2048'", {"big: reports of a USB remote are 1024 bytes at most"}, {}},
    };
    for (const auto& c : cases) {
        int status = 0;
        const std::string err = run(c.command, &status);
        EXPECT_EQ(1, status) << c.command;
        for (const std::string& part : c.said)
            EXPECT_TRUE(has(err, part)) << c.command << "\n" << err;
        for (const std::string& part : c.notSaid)
            EXPECT_FALSE(has(err, part)) << c.command << "\n" << err;
    }
    ::rmdir((configfs + "/usb_gadget").c_str());
    ::rmdir(folder);
}

} // namespace
