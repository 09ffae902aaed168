// The engine through its factory, over the Linux backend, against uhid remotes on the kernel's own
// HID stack. Each case runs with numbered (report id 1) and unnumbered reports.
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <unistd.h>

#include "EngineDriver.h"
#include "SuperSimpleEngineFactory.h"
#include "UhidRemoteProcess.h"

using namespace engine_test;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

namespace {

// A uhid remote has no USB device above it: its device path reads "-1".
const std::string kDevice = "-1";

class EngineVmTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, ::access("/dev/uhid", W_OK)) << "needs /dev/uhid: run inside the test VM (tools/hidvm)";
        engine().addHidlet(0x1234, 0x5678);
    }

    void TearDown() override
    {
        engine().cleanupAll();
        engine().getDevicesInfo();
    }

    static ISuperSimpleDummyEngine& engine() { return *SuperSimpleEngineFactory::createSuperSimpleDummyEngine(); }

    bool numbered() const { return GetParam(); }

    // One report of hexadecimal digits: a numbered report starts with its id.
    std::string report(const std::string& start, size_t bytes) const
    {
        std::string text = numbered() ? "01" + start.substr(2) : start;
        text.resize(2 * bytes, '0');
        return text;
    }
};

TEST_P(EngineVmTest, RunsACommandOfSeveralReportsUpToItsEndPacket)
{
    UhidRemoteProcess remote("id=many, reply=3, end=FFEE, rate=1, in=64, out=64", numbered(), {"many"});
    ASSERT_TRUE(remote.ready());
    const std::string list = engine().getDevicesInfo();
    EXPECT_EQ(0u, list.find("device_id=-1;;token=")) << list;
    EXPECT_NE(std::string::npos, list.find(";;vendor_id=4660;;product_id=22136;;input_report_length=64;;"
                                           "output_report_length=64;;bcd_version_number=-1||"));

    const std::string request = report("A1B2C3D4E5F6", 64);
    const std::string end = report("FFEE", 64);
    const Outcome o = run(engine(), kDevice, request.c_str(), -1, end.c_str(), 2000);
    ASSERT_EQ(0, o.final.code) << o.final.text;
    std::string expected;
    for (int k = 0; k < 3; ++k)
        expected += request.substr(0, request.size() - 2) + "0" + std::to_string(k);
    expected += end;
    EXPECT_EQ(expected, o.final.text);
}

TEST_P(EngineVmTest, CancelEndsACommandThatWaitsForAnAnswer)
{
    UhidRemoteProcess remote("id=quiet, reply=silent", numbered(), {"quiet"});
    ASSERT_TRUE(remote.ready());
    engine().getDevicesInfo();
    EXPECT_EQ(-2, execute(engine(), kDevice, report("0102", 64).c_str(), 1, "", 30000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    char* response = nullptr;
    EXPECT_EQ(0, engine().cancel(kDevice, response));
    delete[] response;
    EXPECT_EQ(600, finish(engine(), kDevice).code);
}

TEST_P(EngineVmTest, UnpluggedRemoteDisappearsFromTheListAndFromExecute)
{
    UhidRemoteProcess remote("id=leaving, reply=silent", numbered(), {"leaving"});
    ASSERT_TRUE(remote.ready());
    engine().getDevicesInfo();
    EXPECT_EQ(-2, execute(engine(), kDevice, report("0102", 64).c_str(), 1, "", 30000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    remote.stop();
    EXPECT_EQ("", engine().getDevicesInfo());
    const Answer gone = execute(engine(), kDevice, report("0102", 64).c_str(), 1, "", 0);
    EXPECT_EQ(201, gone.code);
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::execute}}", gone.text);
}

INSTANTIATE_TEST_SUITE_P(Reports, EngineVmTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Numbered" : "Unnumbered";
                         });

} // namespace
