// The demo page through the real plug-in, engine and USB library, on a simulated remote that
// answers every request with three reports and an end packet (HIDLET_SIM, set by the test's
// environment). The runner's own checks make a leaked browser block or object reference fail it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "PageRunner.h"

namespace {

using ::testing::HasSubstr;

TEST(DemoPage, DrivesASimulatedRemoteFromListingToCleanup)
{
    page_runner::Options options;
    std::string error;
    ASSERT_TRUE(page_runner::parseOptions({"--plugin", DEVICE_PLUGIN, "--timeout", "60",
                                           std::string(EXAMPLES_DIR) + "/demo.js", "request=C0DE"},
                                          options, error)) << error;
    std::ostringstream out, err;
    EXPECT_EQ(0, page_runner::runPage(options, out, err)) << out.str() << err.str();

    const std::string zeros(122, '0');
    EXPECT_THAT(out.str(), HasSubstr("1 remote(s); using device_id=336592896 (vendor 4660, product 22136, "
                                     "reports of 64/64 bytes)\n"));
    EXPECT_THAT(out.str(), HasSubstr("answer: 4 report(s)\n"
                                     "  C0DE" + zeros + "00\n"
                                     "  C0DE" + zeros + "01\n"
                                     "  C0DE" + zeros + "02\n"
                                     "  FF" + std::string(126, '0') + "\n"));
    EXPECT_THAT(out.str(), HasSubstr("cancelCommand: {{0|Command executed successfully:in KVE::cancel}}\n"
                                     "cancelled request ended with: {{600|Cancel command}}\n"));
    EXPECT_THAT(out.str(), HasSubstr("cleanupAll: {{0|Cleanup all successfully executed!}}\n"));
    EXPECT_EQ("", err.str());
}

} // namespace
