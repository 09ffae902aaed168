// The token API of libHidlet.so over simulated remotes. The remotes plugged in are the ones the
// description file says, read again at every listing.
#include "hidlet/Hidlets.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <iostream>
#include <thread>
#include <vector>

#include "SimConfigFile.h"
#include "hidlet/AIoPipe.h"

namespace h = quorvex::lumora::client::corvane::hidlet;
using quorvex::lumora::client::common::exception::LogicException;

namespace {

typedef std::chrono::steady_clock Clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::vector<unsigned char> pattern(size_t n, int seed)
{
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<unsigned char>(seed * 31 + i * 7);
    return v;
}

std::string exceptionText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const LogicException& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

class TokenApi : public ::testing::Test
{
protected:
    struct Channel
    {
        long device;
        long pipe;
    };

    void SetUp() override
    {
        h::ClearHidlets();
        plug("");
    }

    void TearDown() override
    {
        for (long pipe : m_pipes) {
            h::CloseChannel(pipe);
            h::DetachChannel(pipe);
        }
        for (long device : m_devices)
            h::DetachDevice(device);
        m_pipes.clear();
        m_devices.clear();
        h::ClearHidlets();
        plug("");
        list();
    }

    void plug(const std::string& description) { writeSimConfig(SIM_CONFIG_FILE, description); }

    std::vector<long> list()
    {
        long* tokens = nullptr;
        int count = -1;
        h::GetCandidateHidletTokens(&tokens, &count);
        std::vector<long> result(tokens, tokens + (tokens ? count : 0));
        delete[] tokens;
        EXPECT_EQ(static_cast<int>(result.size()), count);
        return result;
    }

    std::vector<long> pipesOf(long device)
    {
        long* tokens = nullptr;
        int count = -1;
        h::GetCandidateIoPipeTokens(device, &tokens, &count);
        std::vector<long> result(tokens, tokens + (tokens ? count : 0));
        delete[] tokens;
        return result;
    }

    // Attaches the device and its one pipe, and opens the pipe.
    Channel open(long device)
    {
        h::AttachDevice(device);
        m_devices.push_back(device);
        const std::vector<long> pipes = pipesOf(device);
        EXPECT_EQ(1u, pipes.size());
        h::AttachChannel(device, pipes.at(0));
        m_pipes.push_back(pipes.at(0));
        EXPECT_TRUE(h::OpenChannel(pipes.at(0)));
        return Channel{device, pipes.at(0)};
    }

    Channel openOnly(const std::string& description)
    {
        plug(description);
        h::AddHidlet(0x1234, 0x5678);
        const std::vector<long> devices = list();
        EXPECT_EQ(1u, devices.size());
        return open(devices.at(0));
    }

    std::vector<long> m_devices;
    std::vector<long> m_pipes;
};

TEST_F(TokenApi, ListsAttachesOpensWritesReadsTheEchoAndDetaches)
{
    plug("id=a, vid=0x1234, pid=0x5678, version=0x0203, location=0x14200000");
    h::AddHidlet(0x1234, 0x5678);
    const std::vector<long> devices = list();
    ASSERT_EQ(1u, devices.size());
    const Channel c = open(devices[0]);

    EXPECT_EQ(0x1234, h::GetVendorId(c.device));
    EXPECT_EQ(0x5678, h::GetProductId(c.device));
    EXPECT_EQ(0x0203, h::GetVersionNumber(c.device));
    EXPECT_EQ(std::to_string(0x14200000), h::GetHidletPath(c.device));
    EXPECT_EQ(64, h::GetInputPacketSize(c.pipe));
    EXPECT_EQ(64, h::GetOutputPacketSize(c.pipe));

    for (int round = 0; round < 3; ++round) {
        std::vector<unsigned char> out = pattern(64, round);
        ASSERT_EQ(0, h::Write(c.pipe, out.data(), 64));
        std::vector<unsigned char> in(64, 0);
        ASSERT_EQ(0, h::Read(c.pipe, in.data(), 64, 1000));
        EXPECT_EQ(out, in);
    }

    h::CloseChannel(c.pipe);
    h::DetachChannel(c.pipe);
    h::DetachDevice(c.device);
    EXPECT_EQ(0, h::GetVendorId(c.device));
    EXPECT_EQ(103, h::Read(c.pipe, nullptr, 0, 0));
}

TEST_F(TokenApi, OnlySupportedTypesAreCandidates)
{
    plug("id=a; id=b, vid=0x1111, pid=0x2222");
    long sentinel = 77;
    long* tokens = &sentinel;
    int count = -1;
    h::GetCandidateHidletTokens(&tokens, &count);   // no type registered yet
    EXPECT_EQ(0, count);
    EXPECT_EQ(&sentinel, tokens);

    h::AddHidlet(0x1234, 0x9999);
    EXPECT_TRUE(list().empty());
    h::AddHidlet(0x1234, 0x5678);
    h::AddHidlet(0x1234, 0x5678);   // duplicates are allowed and change nothing
    const std::vector<long> one = list();
    ASSERT_EQ(1u, one.size());
    h::AddHidlet(0x1111, 0x2222);
    const std::vector<long> two = list();
    ASSERT_EQ(2u, two.size());
    EXPECT_EQ(one[0], two[0]);   // the device found again keeps its token
    h::ClearHidlets();
    EXPECT_EQ(2u, list().size());   // devices already held are not examined again
}

TEST_F(TokenApi, TokensThatAreNotAttachedAreAnsweredAsNotFound)
{
    plug("id=a");
    h::AddHidlet(0x1234, 0x5678);
    const long listed = list().at(0);
    for (long device : {listed, 0L, 12345L}) {
        EXPECT_EQ(0, h::GetVendorId(device));
        EXPECT_EQ(0, h::GetProductId(device));
        EXPECT_EQ(0, h::GetVersionNumber(device));
        EXPECT_EQ("", h::GetHidletPath(device));
        long sentinel = 5;
        long* tokens = &sentinel;
        int count = -7;
        h::GetCandidateIoPipeTokens(device, &tokens, &count);
        EXPECT_EQ(&sentinel, tokens);
        EXPECT_EQ(-7, count);
        h::AttachChannel(device, 424242);   // the pipe token is not even looked at
    }
    // A pipe token is attached only through its attached device: the listed device's own pipe
    // stays detached while the device is.
    h::AttachDevice(listed);
    const std::vector<long> pipes = pipesOf(listed);
    ASSERT_FALSE(pipes.empty());
    const long pipe = pipes[0];
    h::DetachDevice(listed);
    h::AttachChannel(listed, pipe);
    EXPECT_EQ(0, h::GetInputPacketSize(pipe));
    unsigned char report[64] = {0};
    EXPECT_EQ(103, h::Read(pipe, report, 64, 0));
    for (long pipe : {0L, 424242L, listed}) {
        unsigned char buffer[64];
        EXPECT_EQ(0, h::GetInputPacketSize(pipe));
        EXPECT_EQ(0, h::GetOutputPacketSize(pipe));
        EXPECT_FALSE(h::OpenChannel(pipe));
        EXPECT_FALSE(h::IsChannelOpen(pipe));
        EXPECT_EQ(0, h::DiscardInput(pipe));
        h::CloseChannel(pipe);
        h::DetachChannel(pipe);
        EXPECT_EQ(103, h::Read(pipe, buffer, 64, 0));
        EXPECT_EQ(104, h::Write(pipe, buffer, 64));
        EXPECT_EQ("CloseChannelException", exceptionText([&] { h::Read(pipe); }));
        EXPECT_EQ("CloseChannelException", exceptionText([&] { h::Read(pipe, buffer, 64, 64, 0); }));
        EXPECT_EQ("CloseChannelException", exceptionText([&] { h::Write(pipe, 1L); }));
        EXPECT_EQ("CloseChannelException", exceptionText([&] { h::Write(pipe, buffer, 0L, 64L); }));
    }
    // Tokens that stand for nothing change nothing: an attached device stays attached.
    const long device = list().at(0);
    h::AttachDevice(device);
    m_devices.push_back(device);
    h::AttachDevice(0);
    h::DetachDevice(0);
    h::DetachDevice(12345);
    EXPECT_EQ(0, h::GetVendorId(0));
    EXPECT_EQ(0x1234, h::GetVendorId(device));
}

TEST_F(TokenApi, PipeThatIsNotOpenFailsTransfersInsteadOfPretending)
{
    plug("id=a");
    h::AddHidlet(0x1234, 0x5678);
    const long device = list().at(0);
    h::AttachDevice(device);
    m_devices.push_back(device);
    const std::vector<long> pipes = pipesOf(device);
    ASSERT_FALSE(pipes.empty());
    const long pipe = pipes[0];
    h::AttachChannel(device, pipe);
    m_pipes.push_back(pipe);

    std::vector<unsigned char> buffer(64, 0xAA);
    EXPECT_EQ(106, h::Write(pipe, buffer.data(), 64));
    EXPECT_EQ(102, h::Read(pipe, buffer.data(), 64, 0));
    EXPECT_EQ(std::vector<unsigned char>(64, 0xAA), buffer);   // nothing stored
    EXPECT_EQ(-1, h::Read(pipe));
    EXPECT_EQ("USB Channel cannot be written byte by byte", exceptionText([&] { h::Write(pipe, 1L); }));

    EXPECT_TRUE(h::OpenChannel(pipe));
    EXPECT_TRUE(h::OpenChannel(pipe));   // opening an open pipe keeps it open
    h::CloseChannel(pipe);
    EXPECT_EQ(106, h::Write(pipe, buffer.data(), 64));
    h::DetachChannel(pipe);
    EXPECT_EQ(103, h::Read(pipe, buffer.data(), 64, 0));
    EXPECT_EQ(104, h::Write(pipe, buffer.data(), 64));
}

TEST_F(TokenApi, AttachedDeviceOutlivesItsRemovalUntilDetached)
{
    plug("id=a, version=7");
    h::AddHidlet(0x1234, 0x5678);
    const long device = list().at(0);
    EXPECT_EQ(device, list().at(0));
    h::AttachDevice(device);
    h::AttachDevice(device);   // twice: still one attachment
    plug("");
    EXPECT_TRUE(list().empty());
    EXPECT_EQ(7, h::GetVersionNumber(device));
    h::DetachDevice(device);
    EXPECT_EQ(0, h::GetVersionNumber(device));
}

TEST_F(TokenApi, DetachedDeviceThatIsStillPluggedComesBackAsANewDevice)
{
    plug("id=a");
    h::AddHidlet(0x1234, 0x5678);
    const long device = list().at(0);
    h::AttachDevice(device);
    h::DetachDevice(device);
    const std::vector<long> again = list();
    ASSERT_EQ(1u, again.size());
    EXPECT_EQ(0, h::GetVendorId(again[0]));   // a new object, not attached
    h::AttachDevice(again[0]);
    m_devices.push_back(again[0]);
    EXPECT_EQ(0x1234, h::GetVendorId(again[0]));
}

TEST_F(TokenApi, AnswersOfSeveralReportsArriveInOrderAndExactly)
{
    const Channel c = openOnly("id=a, in=8, out=8, reply=3, end=FFEE, rate=1");
    EXPECT_EQ(8, h::GetInputPacketSize(c.pipe));
    std::vector<unsigned char> out = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(0, h::Write(c.pipe, out.data(), 8));
    for (int k = 0; k < 3; ++k) {
        std::vector<unsigned char> in(8, 0);
        ASSERT_EQ(0, h::Read(c.pipe, in.data(), 8, 1000));
        EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, static_cast<unsigned char>(k)}), in);
    }
    std::vector<unsigned char> end(8, 0x55);
    ASSERT_EQ(0, h::Read(c.pipe, end.data(), 8, 1000));
    EXPECT_EQ((std::vector<unsigned char>{0xFF, 0xEE, 0, 0, 0, 0, 0, 0}), end);
    EXPECT_EQ(102, h::Read(c.pipe, end.data(), 8, 0));
}

TEST_F(TokenApi, ReadWaitsAtLeastItsTimeOutBoundBeforeFailing)
{
    const Channel c = openOnly("id=a, reply=silent");
    unsigned char buffer[64];
    for (long timeout : {0L, 95L}) {
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(102, h::Read(c.pipe, buffer, 64, timeout));
        EXPECT_GE(msSince(start), (timeout / 10 + 2) * 10) << "timeout " << timeout;
    }
}

TEST_F(TokenApi, TransfersNeverOverrunTheCallersBuffers)
{
    const Channel c = openOnly("id=a, in=16, out=16");
    const std::vector<unsigned char> out = pattern(16, 3);

    // A short packet is sent zero-padded to one output report.
    ASSERT_EQ(0, h::Write(c.pipe, const_cast<unsigned char*>(out.data()), 4));
    std::vector<unsigned char> canary(24, 0xCC);
    ASSERT_EQ(0, h::Read(c.pipe, canary.data(), 8, 1000));   // only 8 bytes may be stored
    std::vector<unsigned char> expected(24, 0xCC);
    std::copy(out.begin(), out.begin() + 4, expected.begin());
    std::fill(expected.begin() + 4, expected.begin() + 8, 0);
    EXPECT_EQ(expected, canary);

    // Four-argument write: start zero bytes, then the data, padded to one report.
    h::Write(c.pipe, const_cast<unsigned char*>(out.data()), 2L, 3L);
    std::vector<unsigned char> in(40, 0xCC);
    EXPECT_EQ(16, h::Read(c.pipe, in.data(), 10, 4, 1000));   // scratch of 4 bytes still takes a report
    std::vector<unsigned char> expectedIn(40, 0xCC);
    std::fill(expectedIn.begin(), expectedIn.begin() + 10, 0);
    std::copy(out.begin(), out.begin() + 3, expectedIn.begin() + 2);
    EXPECT_EQ(expectedIn, in);

    EXPECT_EQ("DataNotFound", exceptionText([&] { h::Read(c.pipe, in.data(), 16, 16, 0); }));

    // Starts, lengths and sizes far beyond one report still move exactly one report.
    h::Write(c.pipe, const_cast<unsigned char*>(out.data()), LONG_MAX - 1, 2L);
    h::Write(c.pipe, const_cast<unsigned char*>(out.data()), 14L, LONG_MAX);
    std::vector<unsigned char> zeros(16, 0xCC), tail(16, 0xCC);
    EXPECT_EQ(16, h::Read(c.pipe, zeros.data(), 16, 1L << 45, 1000));
    EXPECT_EQ(16, h::Read(c.pipe, tail.data(), 16, LONG_MAX, 1000));
    EXPECT_EQ(std::vector<unsigned char>(16, 0), zeros);
    std::vector<unsigned char> expectedTail(16, 0);
    std::copy(out.begin(), out.begin() + 2, expectedTail.begin() + 14);
    EXPECT_EQ(expectedTail, tail);
}

TEST_F(TokenApi, ReportOfTheWrongLengthFailsTheRead)
{
    const Channel c = openOnly("id=a, length=10");
    std::vector<unsigned char> buffer(64, 0);
    ASSERT_EQ(0, h::Write(c.pipe, buffer.data(), 64));
    EXPECT_EQ(102, h::Read(c.pipe, buffer.data(), 64, 1000));
}

TEST_F(TokenApi, RemovalOrCloseWakesAWaitingReadAtOnce)
{
    for (const bool unplug : {true, false}) {
        const Channel c = openOnly("id=a, reply=silent");
        std::atomic<long> result(-1);
        const Clock::time_point start = Clock::now();
        std::thread reader([&] {
            unsigned char buffer[64];
            result = h::Read(c.pipe, buffer, 64, 60000);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(h::IsChannelOpen(c.pipe));
        if (unplug) {
            plug("");
            EXPECT_TRUE(list().empty());
        } else {
            h::CloseChannel(c.pipe);
        }
        reader.join();
        EXPECT_EQ(102, result.load());
        EXPECT_FALSE(h::IsChannelOpen(c.pipe));   // what failed, failed for that
        EXPECT_LT(msSince(start), 30000) << "the read waited for its whole time-out";
        if (unplug) {
            EXPECT_FALSE(h::OpenChannel(c.pipe));   // the device is gone
        }
        TearDown();
        SetUp();
    }
}

TEST_F(TokenApi, AHugeTimeOutWaitsForTheReportOrForClose)
{
    for (const long timeout : {LONG_MAX, 10000000000000L}) {
        SCOPED_TRACE(timeout);
        const Channel c = openOnly("id=a, reply=silent");
        std::atomic<bool> returned(false);
        std::atomic<long> result(-1);
        std::thread reader([&] {
            unsigned char buffer[64];
            result = h::Read(c.pipe, buffer, 64, timeout);
            returned = true;
        });
        // Time for a read that gives up at once to do so; a waiting one is still there.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(returned) << "the read returned before close()";
        h::CloseChannel(c.pipe);
        reader.join();
        EXPECT_EQ(102, result.load());
        TearDown();
        SetUp();
    }
}

TEST_F(TokenApi, DiscardDropsTheReportsThatCameAndNotTheOnesOnTheirWay)
{
    const Channel c = openOnly("id=a, in=8, out=8, reply=2, delay=0, rate=300");
    std::vector<unsigned char> out = {1, 2, 3, 4, 5, 6, 7, 8}, in(8, 0);
    EXPECT_EQ(0, h::DiscardInput(c.pipe));
    ASSERT_EQ(0, h::Write(c.pipe, out.data(), 8));
    EXPECT_EQ(1, h::DiscardInput(c.pipe));   // the first came at once, the second is 300 ms away
    ASSERT_EQ(0, h::Read(c.pipe, in.data(), 8, 1000));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4, 5, 6, 7, 1}), in);
}

TEST_F(TokenApi, RemoteThatVanishesMidAnswerDeliversWhatItSentThenFails)
{
    const Channel c = openOnly("id=a, reply=5, rate=1, vanish=2");
    std::vector<unsigned char> buffer(64, 0);
    ASSERT_EQ(0, h::Write(c.pipe, buffer.data(), 64));
    EXPECT_EQ(0, h::Read(c.pipe, buffer.data(), 64, 1000));
    EXPECT_EQ(0, h::Read(c.pipe, buffer.data(), 64, 1000));
    EXPECT_EQ(102, h::Read(c.pipe, buffer.data(), 64, 1000));
    EXPECT_FALSE(h::IsChannelOpen(c.pipe));
    EXPECT_EQ(106, h::Write(c.pipe, buffer.data(), 64));
    EXPECT_TRUE(list().empty());
}

TEST_F(TokenApi, OneThreadTransfersWhileAnotherListsAttachesDetachesAndCloses)
{
    plug("id=a; id=b; id=c, reply=2");
    h::AddHidlet(0x1234, 0x5678);
    const std::vector<long> devices = list();
    ASSERT_EQ(3u, devices.size());
    const Channel a = open(devices[0]);

    std::atomic<bool> done(false);
    std::atomic<int> roundTrips(0);
    std::thread transfers([&] {
        for (int i = 0; i < 400; ++i) {
            std::vector<unsigned char> out = pattern(64, i);
            std::vector<unsigned char> in(64, 0);
            const long written = h::Write(a.pipe, out.data(), 64);
            if (written == 0) {
                const long read = h::Read(a.pipe, in.data(), 64, 0);
                if (read == 0 && in == out)
                    ++roundTrips;
                else
                    EXPECT_EQ(102, read);   // closed under the read; never other bytes
            } else {
                EXPECT_EQ(106, written);
            }
        }
        done = true;
    });
    while (!done) {
        for (long device : list()) {
            if (device == a.device)
                continue;
            h::AttachDevice(device);
            for (long pipe : pipesOf(device)) {
                h::AttachChannel(device, pipe);
                h::OpenChannel(pipe);
                h::CloseChannel(pipe);
                h::DetachChannel(pipe);
            }
            h::DetachDevice(device);
        }
        h::CloseChannel(a.pipe);
        h::OpenChannel(a.pipe);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    transfers.join();
    // Whatever the interleaving, the pipe still works afterwards.
    std::vector<unsigned char> out = pattern(64, 9), in(64, 0);
    ASSERT_EQ(0, h::Write(a.pipe, out.data(), 64));
    ASSERT_EQ(0, h::Read(a.pipe, in.data(), 64, 1000));
    EXPECT_EQ(out, in);
    std::cout << "round trips completed beside the other thread: " << roundTrips.load() << " of 400\n";
}

TEST(AIoPipe, ReadTimeOutAllowsForThePackets)
{
    EXPECT_EQ(2000, h::AIoPipe::getReadPacketTimeout(0));
    EXPECT_EQ(2500, h::AIoPipe::getReadPacketTimeout(5));
}

// Every backend waits this long for each report; the simulated one once overflowed on huge
// time-outs where the Linux one held them.
TEST(AIoPipe, WaitBeforeEachReportIsNeverNegativeAndHoldsHugeTimeOuts)
{
    const struct { long timeout; long waitMs; } cases[] = {
        {LONG_MIN, 0}, {-50, 0}, {-20, 0}, {-19, 10}, {0, 20}, {5, 20}, {100, 120}, {2500, 2520},
        {10L * (INT_MAX / 10) - 30, 10L * (INT_MAX / 10 - 1)}, {10L * (INT_MAX / 10), INT_MAX},
        {10000000000000L, INT_MAX}, {LONG_MAX, INT_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.waitMs, h::AIoPipe::getWaitBeforeEachReport(c.timeout)) << "time-out " << c.timeout;
}

} // namespace
