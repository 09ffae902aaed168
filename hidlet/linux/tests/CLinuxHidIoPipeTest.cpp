// Transfers of an open pipe. A pseudo-terminal in raw mode stands in for /dev/hidrawN: what the
// test writes to its master side reaches the pipe as one input report, what the pipe writes comes
// out of the master side, and closing the master side hangs the device up as a removal does.
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

#include "FakeSysfs.h"
#include "linux/CLinuxHidIoPipe.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

class Pty
{
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        const char* name = ::ptsname(m_master);
        if (!name)
            return;
        // Held open so that the terminal stays in raw mode while the pipe opens and closes it.
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw;
        if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0)
            return;
        ::cfmakeraw(&raw);
        if (::tcsetattr(m_slave, TCSANOW, &raw) == 0)
            m_path = name;
    }
    ~Pty()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Empty when no pseudo-terminal could be had.
    const std::string& path() const { return m_path; }
    bool send(const std::vector<unsigned char>& report)
    {
        return ::write(m_master, report.data(), report.size()) == static_cast<ssize_t>(report.size());
    }
    // What the pipe wrote, up to the expected count or as far as it came within the wait.
    std::vector<unsigned char> received(std::size_t expected, std::chrono::milliseconds wait = std::chrono::seconds(5))
    {
        std::vector<unsigned char> bytes;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (bytes.size() < expected && std::chrono::steady_clock::now() < deadline) {
            unsigned char chunk[256];
            pollfd master = {m_master, POLLIN, 0};
            if (::poll(&master, 1, 100) <= 0)
                continue;
            const ssize_t got = ::read(m_master, chunk, sizeof chunk);
            if (got > 0)
                bytes.insert(bytes.end(), chunk, chunk + got);
        }
        return bytes;
    }
    // The device goes away: every open side of the terminal sees a hang-up.
    void hangUp()
    {
        ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

typedef std::chrono::steady_clock Clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A pipe over a pseudo-terminal for a hidraw device of 8-byte reports (9 with the report id when
// numbered).
class OpenPipe : public ::testing::Test
{
protected:
    void open(bool numbered)
    {
        if (m_pty.path().empty())
            GTEST_SKIP() << "no pseudo-terminal here";
        const long size = numbered ? 9 : 8;
        m_tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(size, size, numbered));
        m_tree.useCharacterDevice("hidraw0", m_pty.path());
        hidlet::HidrawInterface hidraw;
        ASSERT_TRUE(hidlet::describeHidraw(m_tree.roots(), "hidraw0", &hidraw));
        m_pipe.reset(new hidlet::CLinuxHidIoPipe(hidraw));
        ASSERT_TRUE(m_pipe->initialize());
        ASSERT_TRUE(m_pipe->isOpen());
    }

    bool readOne(std::vector<unsigned char>& into, long timeout)
    {
        long count = -1;
        return m_pipe->readMultiplePackets({into.data()}, &count, timeout) && count == 1;
    }

    Pty m_pty;
    FakeSysfs m_tree;
    std::unique_ptr<hidlet::CLinuxHidIoPipe> m_pipe;
};

TEST_F(OpenPipe, WritesEachReportInOneWriteBehindItsReportNumber)
{
    for (const bool numbered : {false, true}) {
        SCOPED_TRACE(numbered ? "numbered" : "unnumbered");
        open(numbered);
        if (IsSkipped())
            return;
        std::vector<unsigned char> first = {1, 2, 3, 4, 5, 6, 7, 8}, second = {9, 10, 11, 12, 13, 14, 15, 16};
        std::vector<unsigned char> wire;
        if (numbered) {
            // The report id is the first byte of the report the page sends: it goes out as it is.
            first.insert(first.begin(), 1);
            second.insert(second.begin(), 1);
            wire = first;
            wire.insert(wire.end(), second.begin(), second.end());
        } else {
            // hidraw takes the report number first; 0x00 stands for an unnumbered report.
            wire = {0};
            wire.insert(wire.end(), first.begin(), first.end());
            wire.push_back(0);
            wire.insert(wire.end(), second.begin(), second.end());
        }
        EXPECT_TRUE(m_pipe->writeMultiplePackets({first.data(), second.data()}));
        EXPECT_EQ(wire, m_pty.received(wire.size()));
        m_pipe->close();
        EXPECT_FALSE(m_pipe->writeMultiplePackets({first.data()}));
        EXPECT_TRUE(m_pty.received(1, std::chrono::milliseconds(200)).empty());
        m_tree.removeHidraw("hidraw0");
    }
}

TEST_F(OpenPipe, ReadTakesOneWholeReportAndRefusesOneOfAnotherLength)
{
    open(false);
    if (IsSkipped())
        return;
    std::vector<unsigned char> got(8, 0);
    const struct { std::vector<unsigned char> sent; bool taken; } cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8}, true},
        {{1, 2, 3, 4, 5, 6, 7}, false},          // too short
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, false},    // too long
        {{8, 7, 6, 5, 4, 3, 2, 1}, true},        // and the next whole one still comes through
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_pty.send(c.sent));
        std::fill(got.begin(), got.end(), 0);
        EXPECT_EQ(c.taken, readOne(got, 1000)) << c.sent.size() << " bytes";
        if (c.taken) {
            EXPECT_EQ(c.sent, got);
        }
        EXPECT_TRUE(m_pipe->isOpen());   // a bad report is no removal
    }
}

TEST_F(OpenPipe, SilentDeviceFailsTheReadAfterTheGapBeforeAReport)
{
    open(false);
    if (IsSkipped())
        return;
    std::vector<unsigned char> got(8, 0);
    // ((time-out / 10) + 2) * 10 ms, never below 0.
    const struct { long timeout; long gapMs; } cases[] = {{-50, 0}, {-20, 0}, {0, 20}, {5, 20}, {100, 120}};
    for (const auto& c : cases) {
        const Clock::time_point start = Clock::now();
        EXPECT_FALSE(readOne(got, c.timeout));
        const long took = msSince(start);
        EXPECT_GE(took, c.gapMs) << "time-out " << c.timeout;
        EXPECT_LT(took, c.gapMs + 5000) << "time-out " << c.timeout;
        EXPECT_TRUE(m_pipe->isOpen());
    }
}

TEST_F(OpenPipe, HangUpEndsAWaitingReadAndTheReadsAndWritesAfterIt)
{
    open(false);
    if (IsSkipped())
        return;
    std::vector<unsigned char> got(8, 0);
    bool read = true;
    std::atomic<bool> returned{false};
    std::thread reader([&] {
        read = readOne(got, 60000);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned);
    const Clock::time_point start = Clock::now();
    m_pty.hangUp();
    reader.join();
    EXPECT_FALSE(read);
    EXPECT_LT(msSince(start), 30000) << "the read waited for its time-out";
    EXPECT_FALSE(m_pipe->isOpen());   // gone: what failed did not fail for want of a report
    EXPECT_FALSE(readOne(got, LONG_MAX));
    EXPECT_FALSE(m_pipe->writeMultiplePackets({got.data()}));
    EXPECT_EQ(0, m_pipe->discardInput());
}

TEST_F(OpenPipe, HangUpShowsBeforeAnyTransferMeetsIt)
{
    open(false);
    if (IsSkipped())
        return;
    m_pty.hangUp();
    EXPECT_FALSE(m_pipe->isOpen());
}

TEST_F(OpenPipe, DiscardDropsTheReportsThatCameAndKeepsTheNextOne)
{
    open(false);
    if (IsSkipped())
        return;
    std::vector<unsigned char> got(8, 0);
    EXPECT_EQ(0, m_pipe->discardInput());   // nothing came
    ASSERT_TRUE(m_pty.send({1, 1, 1, 1, 1, 1, 1, 1}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(m_pipe->discardInput(), 1);
    EXPECT_FALSE(readOne(got, 0));
    const std::vector<unsigned char> next = {2, 2, 2, 2, 2, 2, 2, 2};
    ASSERT_TRUE(m_pty.send(next));
    EXPECT_TRUE(readOne(got, 1000));
    EXPECT_EQ(next, got);
    EXPECT_TRUE(m_pipe->isOpen());
    m_pipe->close();
    EXPECT_FALSE(m_pipe->isOpen());
    EXPECT_EQ(0, m_pipe->discardInput());
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every failure answers false, as before, and leaves its reason on the pipe.
TEST_F(OpenPipe, EachFailureLeavesItsReasonUntilAnOpenSucceeds)
{
    open(false);
    if (IsSkipped())
        return;
    EXPECT_EQ("", m_pipe->getLastError());
    std::vector<unsigned char> got(8, 0);
    EXPECT_FALSE(readOne(got, 0));
    EXPECT_TRUE(has(m_pipe->getLastError(), ": no report came within 20 ms")) << m_pipe->getLastError();
    ASSERT_TRUE(m_pty.send({1, 2, 3}));
    EXPECT_FALSE(readOne(got, 1000));
    EXPECT_TRUE(has(m_pipe->getLastError(), ": a report of 3 bytes, not 8")) << m_pipe->getLastError();
    EXPECT_FALSE(m_pipe->writeMultiplePackets({got.data(), nullptr}));
    EXPECT_TRUE(has(m_pipe->getLastError(), ": no buffer for report 2"))
        << m_pipe->getLastError();

    // Reopened, the pipe has nothing to report; closed, it says so.
    ASSERT_TRUE(m_pipe->initialize());
    EXPECT_EQ("", m_pipe->getLastError());
    m_pipe->close();
    EXPECT_FALSE(m_pipe->writeMultiplePackets({got.data()}));
    EXPECT_TRUE(has(m_pipe->getLastError(), ": the pipe is not open")) << m_pipe->getLastError();

    ASSERT_TRUE(m_pipe->initialize());
    m_pty.hangUp();
    EXPECT_FALSE(readOne(got, 60000));
    EXPECT_FALSE(m_pipe->getLastError().empty());
}

TEST(CLinuxHidIoPipeTest, AnOpenThatFailsSaysWhy)
{
    FakeSysfs tree;
    tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(8, 8, false));
    hidlet::HidrawInterface hidraw;
    ASSERT_TRUE(hidlet::describeHidraw(tree.roots(), "hidraw0", &hidraw));
    const struct { const char* node; std::string reason; } cases[] = {
        // The fabricated node is a plain file: not the character device that sysfs lists.
        {nullptr, "cannot open " + hidraw.devNode + ": it is not the device of " + hidraw.key + " any more"},
        {"/nonexistent/hidraw0", "cannot open /nonexistent/hidraw0: No such file or directory"},
    };
    for (const auto& c : cases) {
        hidlet::HidrawInterface described = hidraw;
        if (c.node)
            described.devNode = c.node;
        hidlet::CLinuxHidIoPipe pipe(described);
        EXPECT_FALSE(pipe.initialize());
        EXPECT_TRUE(has(pipe.getLastError(), c.reason)) << pipe.getLastError();
    }
}

TEST(CLinuxHidIoPipeTest, AHugeTimeOutWaitsForTheReportOrForClose)
{
    // LONG_MAX overflowed the gap's arithmetic; 10^13 ms overflowed the clock's deadline.
    for (const long timeout : {LONG_MAX, 10000000000000L}) {
        SCOPED_TRACE(timeout);
        Pty pty;
        if (pty.path().empty())
            GTEST_SKIP() << "no pseudo-terminal here";
        FakeSysfs tree;
        tree.addHidraw("hidraw0", 1, 0x1234, 0x5678, remoteDescriptor(8, 8, false));
        tree.useCharacterDevice("hidraw0", pty.path());
        hidlet::HidrawInterface hidraw;
        ASSERT_TRUE(hidlet::describeHidraw(tree.roots(), "hidraw0", &hidraw));
        hidlet::CLinuxHidIoPipe pipe(hidraw);
        ASSERT_TRUE(pipe.initialize());

        const std::vector<unsigned char> report = {1, 2, 3, 4, 5, 6, 7, 8};
        std::vector<unsigned char> got(8, 0);
        long count = -1;
        bool ok = false;
        std::atomic<bool> returned{false};
        std::thread reader([&] {
            ok = pipe.readMultiplePackets({got.data()}, &count, timeout);
            returned = true;
        });
        // Time for a read that gives up at once to do so; a waiting one is still there.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(returned) << "the read returned before any report came";
        const bool sent = pty.send(report);
        EXPECT_TRUE(sent);
        if (!sent)
            pipe.close();
        reader.join();
        EXPECT_TRUE(ok);
        EXPECT_EQ(1, count);
        EXPECT_EQ(report, got);

        // Nothing comes: only close() ends the wait.
        returned = false;
        std::thread silent([&] {
            ok = pipe.readMultiplePackets({got.data()}, &count, timeout);
            returned = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(returned) << "the read returned before close()";
        pipe.close();
        silent.join();
        EXPECT_FALSE(ok);
        EXPECT_EQ(0, count);
    }
}

} // namespace
