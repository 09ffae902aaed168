// Reads of an open pipe. A pseudo-terminal in raw mode stands in for /dev/hidrawN: what the test
// writes to its master side reaches the pipe as one input report.
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

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
