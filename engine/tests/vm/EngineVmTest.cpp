// The engine through its factory, over the Linux backend, against uhid remotes on the kernel's own
// HID stack, and where the USB stack makes a difference against USB remotes (a USB HID gadget on a
// dummy_hcd controller, driven by usbhid). Each case runs with numbered (report id 1) and
// unnumbered reports.
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <unistd.h>

#include "EngineDriver.h"
#include "SuperSimpleEngineFactory.h"
#include "RemoteProcess.h"

using namespace engine_test;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

namespace {

// A uhid remote has no USB device above it: its location id, and so its device path, is one of
// its own above the 32 bits of USB location ids. A USB remote's is that of its port: within them.
bool isOwnLocation(const std::string& path)
{
    return !path.empty() && path.find_first_not_of("0123456789") == std::string::npos && std::stoll(path) > 0xFFFFFFFFLL;
}

bool isUsbLocation(const std::string& path)
{
    return !path.empty() && path.find_first_not_of("0123456789") == std::string::npos && std::stoll(path) > 0 &&
           std::stoll(path) <= 0xFFFFFFFFLL;
}

class EngineVmTest : public ::testing::TestWithParam<RemoteVariant>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RemoteProcess::available(kind())) << "needs " << RemoteProcess::name(kind())
                                                      << " remotes: run inside the test VM (tools/hidvm)";
        engine().addHidlet(0x1234, 0x5678);
    }

    void TearDown() override
    {
        engine().cleanupAll();
        engine().getDevicesInfo();
    }

    static ISuperSimpleDummyEngine& engine() { return *SuperSimpleEngineFactory::createSuperSimpleDummyEngine(); }

    // Lists the remotes; the device path of the only one.
    static std::string onlyDevice()
    {
        const std::vector<std::string> paths = devicePaths(engine().getDevicesInfo());
        EXPECT_EQ(1u, paths.size());
        return paths.empty() ? std::string() : paths[0];
    }

    RemoteKind kind() const { return GetParam().kind; }
    bool usb() const { return kind() == RemoteKind::Usb; }
    bool numbered() const { return GetParam().numbered; }

    // One report of hexadecimal digits: a numbered report starts with its id.
    std::string report(const std::string& start, size_t bytes) const
    {
        std::string text = numbered() ? "01" + start.substr(2) : start;
        text.resize(2 * bytes, '0');
        return text;
    }
};

// Cases that run on uhid remotes only: what they test does not depend on the bus.
class EngineUhidVmTest : public EngineVmTest
{
};

TEST_P(EngineVmTest, RunsACommandOfSeveralReportsUpToItsEndPacket)
{
    RemoteProcess remote(kind(), std::string("id=many, reply=3, end=FFEE, rate=1, in=64, out=64") +
                                     (usb() ? ", version=0x0213" : ""),
                         numbered(), {"many"});
    ASSERT_TRUE(remote.ready());
    const std::string list = engine().getDevicesInfo();
    const std::vector<std::string> paths = devicePaths(list);
    ASSERT_EQ(1u, paths.size()) << list;
    const std::string device = paths[0];
    EXPECT_TRUE(usb() ? isUsbLocation(device) : isOwnLocation(device)) << list;
    EXPECT_NE(std::string::npos, list.find(std::string(";;vendor_id=4660;;product_id=22136;;input_report_length=64;;"
                                                       "output_report_length=64;;bcd_version_number=") +
                                           (usb() ? "531" : "-1") + "||"))
        << list;

    const std::string request = report("A1B2C3D4E5F6", 64);
    const std::string end = report("FFEE", 64);
    const Outcome o = run(engine(), device, request.c_str(), -1, end.c_str(), 2000);
    ASSERT_EQ(0, o.final.code) << o.final.text;
    std::string expected;
    for (int k = 0; k < 3; ++k)
        expected += request.substr(0, request.size() - 2) + "0" + std::to_string(k);
    expected += end;
    EXPECT_EQ(expected, o.final.text);
}

TEST_P(EngineUhidVmTest, CancelEndsACommandThatWaitsForAnAnswer)
{
    RemoteProcess remote(kind(), "id=quiet, reply=silent", numbered(), {"quiet"});
    ASSERT_TRUE(remote.ready());
    const std::string device = onlyDevice();
    EXPECT_EQ(-2, execute(engine(), device, report("0102", 64).c_str(), 1, "", 30000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    char* response = nullptr;
    EXPECT_EQ(0, engine().cancel(device, response));
    delete[] response;
    EXPECT_EQ(600, finish(engine(), device).code);
}

TEST_P(EngineUhidVmTest, UnpluggedRemoteDisappearsFromTheListAndFromExecute)
{
    RemoteProcess remote(kind(), "id=leaving, reply=silent", numbered(), {"leaving"});
    ASSERT_TRUE(remote.ready());
    const std::string device = onlyDevice();
    EXPECT_EQ(-2, execute(engine(), device, report("0102", 64).c_str(), 1, "", 30000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    remote.stop();
    EXPECT_EQ("", engine().getDevicesInfo());
    const Answer gone = execute(engine(), device, report("0102", 64).c_str(), 1, "", 0);
    EXPECT_EQ(201, gone.code);
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::execute}}", gone.text);
}

TEST_P(EngineVmTest, RemoteUnpluggedDuringAReadEndsItsCommandAtOnceWith400)
{
    RemoteProcess remote(kind(), "id=unplugged, reply=3, rate=1, delay=200", numbered(), {"unplugged"});
    ASSERT_TRUE(remote.ready());
    const std::string device = onlyDevice();
    // Whatever the time-out: the read fails because the device is gone, not for want of a report.
    EXPECT_EQ(-2, execute(engine(), device, report("0102", 64).c_str(), 5, "", LONG_MAX).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // From the moment the remote is told to go: a USB disconnect reaches the host a little later.
    const auto start = std::chrono::steady_clock::now();
    remote.stop();
    const Answer a = finish(engine(), device);   // no listing in between: the engine finds out itself
    const long tookMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    EXPECT_EQ(400, a.code) << a.text;
    EXPECT_EQ("{{400|Fatal error occurred, system should be refreshed}}", a.text);
    EXPECT_LT(tookMs, 30000);
    std::printf("the command ended %ld ms after the %s remote was told to go\n", tookMs, RemoteProcess::name(kind()));
}

TEST_P(EngineVmTest, RestOfAnAbandonedAnswerIsDroppedButAnAnswerToCollectIsKept)
{
    RemoteProcess remote(kind(), "id=talkative, reply=4", numbered(), {"talkative"});
    ASSERT_TRUE(remote.ready());
    const std::string device = onlyDevice();
    const std::string first = report("A1A2", 64), second = report("B1B2", 64);
    const auto answer = [](const std::string& request, int reports) {
        std::string text;
        for (int k = 0; k < reports; ++k)
            text += request.substr(0, request.size() - 2) + "0" + std::to_string(k);
        return text;
    };
    // The first command takes one report of four; the next one's answer is its own.
    EXPECT_EQ(answer(first, 1), run(engine(), device, first.c_str(), 1, "", 2000).final.text);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(answer(second, 2), run(engine(), device, second.c_str(), 2, "", 2000).final.text);
    // A command that only writes, then one that only reads: the answer waits for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ("", run(engine(), device, first.c_str(), 0, "", 2000).final.text);
    EXPECT_EQ(answer(first, 4), run(engine(), device, "", 4, "", 2000).final.text);
}

TEST_P(EngineUhidVmTest, TwoRemotesHavePathsOfTheirOwnAndEachAnswersItsCommands)
{
    RemoteProcess remotes(kind(), "id=left, reply=echo; id=right, reply=2", numbered(), {"left", "right"});
    ASSERT_TRUE(remotes.ready());
    const std::vector<std::string> paths = devicePaths(engine().getDevicesInfo());
    ASSERT_EQ(2u, paths.size());
    EXPECT_NE(paths[0], paths[1]);
    EXPECT_TRUE(isOwnLocation(paths[0]) && isOwnLocation(paths[1])) << paths[0] << " " << paths[1];
    EXPECT_EQ(paths, devicePaths(engine().getDevicesInfo()));   // stable while they stay

    // Which path is which remote shows in the answers: the echo remote sends the request back, the
    // other one the request with its last byte set to the report's number (0 first).
    std::string request = report("C1C2", 64);
    request.replace(request.size() - 2, 2, "5A");
    const std::string counted = request.substr(0, request.size() - 2) + "00";
    std::string firstAnswers[2];
    for (int round = 0; round < 3; ++round) {
        for (const std::string& path : paths)   // both commands in flight at once
            EXPECT_EQ(-2, execute(engine(), path, request.c_str(), 1, "", 1000).code);
        std::string answers[2];
        for (int i = 0; i < 2; ++i)
            answers[i] = finish(engine(), paths[i]).text;
        EXPECT_TRUE((answers[0] == request && answers[1] == counted) || (answers[0] == counted && answers[1] == request))
            << answers[0] << " " << answers[1];
        if (round == 0) {
            firstAnswers[0] = answers[0];
            firstAnswers[1] = answers[1];
        }
        EXPECT_EQ(firstAnswers[0], answers[0]);   // each path stays with its remote
        EXPECT_EQ(firstAnswers[1], answers[1]);
    }
}

std::string variantTestName(const ::testing::TestParamInfo<RemoteVariant>& info) { return variantName(info.param); }

INSTANTIATE_TEST_SUITE_P(Remotes, EngineVmTest, ::testing::ValuesIn(remoteVariants()), variantTestName);
INSTANTIATE_TEST_SUITE_P(Remotes, EngineUhidVmTest, ::testing::ValuesIn(remoteVariants(RemoteKind::Uhid)),
                         variantTestName);

} // namespace
