// The demo page through the real plug-in, engine and USB library, over the Linux backend against a
// uhid remote and a USB remote (a USB HID gadget on a dummy_hcd controller) on the kernel's own
// HID stack (inside the test VM).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <set>
#include <sstream>

#include "PageRunner.h"
#include "RemoteProcess.h"

namespace {

using ::testing::HasSubstr;

class DemoPageVm : public ::testing::TestWithParam<RemoteKind>
{
};

TEST_P(DemoPageVm, DrivesARemoteFromListingToCleanup)
{
    ASSERT_TRUE(RemoteProcess::available(GetParam())) << "needs " << RemoteProcess::name(GetParam())
                                                      << " remotes: run inside the test VM (tools/hidvm)";
    RemoteProcess remote(GetParam(), "id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=5", false, {"demo"}, true);
    ASSERT_TRUE(remote.ready());

    page_runner::Options options;
    std::string error;
    ASSERT_TRUE(page_runner::parseOptions({"--plugin", DEVICE_PLUGIN, "--timeout", "60",
                                           std::string(EXAMPLES_DIR) + "/demo.js", "request=C0DE"},
                                          options, error)) << error;
    std::ostringstream out, err;
    EXPECT_EQ(0, page_runner::runPage(options, out, err)) << out.str() << err.str();
    const std::string zeros(122, '0');
    EXPECT_THAT(out.str(), testing::ContainsRegex("using device_id=[0-9]+ \\(vendor 4660, product 22136, reports of 64/64 bytes\\)"));
    EXPECT_THAT(out.str(), HasSubstr("answer: 4 report(s)\n"
                                     "  C0DE" + zeros + "00\n"
                                     "  C0DE" + zeros + "01\n"
                                     "  C0DE" + zeros + "02\n"
                                     "  FF" + std::string(126, '0') + "\n"));
    EXPECT_THAT(out.str(), HasSubstr("cancelled request ended with: {{600|Cancel command}}\n"));
}

INSTANTIATE_TEST_SUITE_P(Remotes, DemoPageVm, ::testing::Values(RemoteKind::Uhid, RemoteKind::Usb),
                         [](const ::testing::TestParamInfo<RemoteKind>& info) { return kindName(info.param); });

// Runs a page of the examples with its arguments; its output.
std::string runExample(const std::string& page, const std::vector<std::string>& arguments)
{
    page_runner::Options options;
    std::string error;
    std::vector<std::string> line = {"--plugin", DEVICE_PLUGIN, "--timeout", "60", std::string(EXAMPLES_DIR) + "/" + page};
    line.insert(line.end(), arguments.begin(), arguments.end());
    EXPECT_TRUE(page_runner::parseOptions(line, options, error)) << error;
    std::ostringstream out, err;
    EXPECT_EQ(0, page_runner::runPage(options, out, err)) << out.str() << err.str();
    return out.str();
}

TEST(DemoPageUhidVm, DrivesEachOfTwoUhidRemotesByItsOwnDevicePath)
{
    ASSERT_TRUE(RemoteProcess::available(RemoteKind::Uhid)) << "needs /dev/uhid: run inside the test VM (tools/hidvm)";
    RemoteProcess remotes(RemoteKind::Uhid, "id=three, reply=3, end=FF, rate=5; id=two, reply=2, end=FF, rate=5", false,
                              {"three", "two"}, true);
    ASSERT_TRUE(remotes.ready());

    const std::string listing = runExample("list_remotes.js", {});
    std::set<std::string> paths;
    const std::string key = "device_id=";
    for (std::string::size_type at = listing.find(key); at != std::string::npos; at = listing.find(key, at)) {
        at += key.size();
        const std::string::size_type end = listing.find_first_not_of("0123456789", at);
        if (end != at)
            paths.insert(listing.substr(at, end == std::string::npos ? std::string::npos : end - at));
    }
    ASSERT_EQ(2u, paths.size()) << listing;

    // Each path reaches its own remote, twice over: one answers three reports and the end packet,
    // the other two and the end packet.
    const std::string zeros(122, '0');
    const std::string first = "  C0DE" + zeros + "00\n  C0DE" + zeros + "01\n";
    std::map<std::string, std::string> answerOf;
    for (int round = 0; round < 2; ++round) {
        for (const std::string& path : paths) {
            const std::string out = runExample("demo.js", {"device=" + path, "request=C0DE"});
            EXPECT_THAT(out, HasSubstr("2 remote(s); using device_id=" + path + " ("));
            const std::string answer = out.find("answer: 4 report(s)\n" + first + "  C0DE" + zeros + "02\n  FF") !=
                                               std::string::npos ? "three"
                                       : out.find("answer: 3 report(s)\n" + first + "  FF") != std::string::npos ? "two"
                                                                                                                  : out;
            if (round == 0)
                answerOf[path] = answer;
            EXPECT_EQ(answerOf[path], answer) << path;
        }
    }
    std::set<std::string> remotesReached;
    for (const auto& entry : answerOf)
        remotesReached.insert(entry.second);
    EXPECT_EQ((std::set<std::string>{"three", "two"}), remotesReached);
}

} // namespace
