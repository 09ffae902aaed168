// The demo page through the real plug-in, engine and USB library, over the Linux backend against a
// uhid remote on the kernel's own HID stack (inside the test VM).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "PageRunner.h"
#include "UhidRemoteProcess.h"

namespace {

using ::testing::HasSubstr;

TEST(DemoPageVm, DrivesAUhidRemoteFromListingToCleanup)
{
    ASSERT_EQ(0, ::access("/dev/uhid", W_OK)) << "needs /dev/uhid: run inside the test VM (tools/hidvm)";
    UhidRemoteProcess remote("id=demo, vid=0x1234, pid=0x5678, reply=3, end=FF, rate=5", false, {"demo"}, true);
    ASSERT_TRUE(remote.ready());

    page_runner::Options options;
    std::string error;
    ASSERT_TRUE(page_runner::parseOptions({"--plugin", DEVICE_PLUGIN, "--timeout", "60",
                                           std::string(EXAMPLES_DIR) + "/demo.js", "request=C0DE"},
                                          options, error)) << error;
    std::ostringstream out, err;
    EXPECT_EQ(0, page_runner::runPage(options, out, err)) << out.str() << err.str();
    const std::string zeros(122, '0');
    EXPECT_THAT(out.str(), HasSubstr("using device_id=-1 (vendor 4660, product 22136, reports of 64/64 bytes)"));
    EXPECT_THAT(out.str(), HasSubstr("answer: 4 report(s)\n"
                                     "  C0DE" + zeros + "00\n"
                                     "  C0DE" + zeros + "01\n"
                                     "  C0DE" + zeros + "02\n"
                                     "  FF" + std::string(126, '0') + "\n"));
    EXPECT_THAT(out.str(), HasSubstr("cancelled request ended with: {{600|Cancel command}}\n"));
}

} // namespace
