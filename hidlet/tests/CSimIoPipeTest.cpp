// The simulated pipe's failures: each answers false and leaves its reason on the pipe.
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "sim/CSimIoPipe.h"

namespace h = quorvex::lumora::client::corvane::hidlet;

namespace {

boost::shared_ptr<h::sim::SimDevice> remote(const std::string& description)
{
    return boost::make_shared<h::sim::SimDevice>(h::sim::parseSimRemote(description, 1), 1);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CSimIoPipe, EachFailureLeavesItsReasonUntilAnOpenSucceeds)
{
    h::sim::CSimIoPipe refused(remote("id=r, open=fail"));
    EXPECT_FALSE(refused.initialize());
    EXPECT_TRUE(has(refused.getLastError(), "simulated remote r: cannot open")) << refused.getLastError();

    const auto device = remote("id=a, length=10");
    h::sim::CSimIoPipe pipe(device);
    std::vector<unsigned char> report(64, 0);
    EXPECT_FALSE(pipe.readPacket(report.data(), 0));
    EXPECT_TRUE(has(pipe.getLastError(), "reading: the pipe is not open")) << pipe.getLastError();
    ASSERT_TRUE(pipe.initialize());
    EXPECT_EQ("", pipe.getLastError());

    const struct { const char* what; std::string reason; } steps[] = {
        {"silence", "reading: no report came within 20 ms"},
        {"short answer", "reading: a report of 10 bytes, not 64"},
        {"unplug", "reading: the remote was unplugged"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const std::string what = step.what;
        if (what == "short answer") {
            ASSERT_TRUE(pipe.writePacket(report.data()));
        }
        if (what == "unplug")
            device->unplug();
        EXPECT_FALSE(pipe.readPacket(report.data(), what == "short answer" ? 1000 : 0));
        EXPECT_TRUE(has(pipe.getLastError(), step.reason)) << pipe.getLastError();
    }
    EXPECT_FALSE(pipe.writePacket(report.data()));
    EXPECT_TRUE(has(pipe.getLastError(), "writing: the pipe is not open")) << pipe.getLastError();
}

} // namespace
