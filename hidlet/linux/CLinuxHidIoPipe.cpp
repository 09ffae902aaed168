#include "CLinuxHidIoPipe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

// The open device and the descriptor that wakes a read waiting on it. Closed when the last
// holder (the pipe or a transfer in progress) lets go.
class CLinuxHidIoPipe::Connection
{
public:
    Connection(int device, int wake) : m_device(device), m_wake(wake) {}
    ~Connection()
    {
        ::close(m_device);
        ::close(m_wake);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int device() const { return m_device; }
    int wake() const { return m_wake; }
    bool ended() const { return m_ended.load(); }

    // Wakes every read waiting on this connection and keeps later ones from waiting.
    void end()
    {
        m_ended.store(true);
        const std::uint64_t one = 1;
        ssize_t written;
        do {
            written = ::write(m_wake, &one, sizeof one);
        } while (written < 0 && errno == EINTR);
    }

private:
    const int m_device;
    const int m_wake;
    std::atomic<bool> m_ended{false};
};

namespace {

// CLOCK_MONOTONIC_COARSE: the time of the last timer tick, read without a system call or a
// device access; a tick or so coarse, which is nothing against a wait of 20 ms or more.
struct CoarseClock
{
    typedef std::chrono::nanoseconds duration;
    typedef duration::rep rep;
    typedef duration::period period;
    static constexpr bool is_steady = true;
    typedef std::chrono::time_point<CoarseClock> time_point;
    static time_point now()
    {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
        return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
    }
};

const long kMostReportsDiscarded = 1024;

bool deviceGone(int error) { return error == ENODEV || error == EIO || error == ENXIO; }

// Removal shows on the descriptor even while nothing is transferring.
bool hungUp(int fd)
{
    pollfd device = {fd, 0, 0};
    return ::poll(&device, 1, 0) > 0 && (device.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

// The system's words for an errno value (thread-safe, unlike strerror()).
std::string systemReason(int error) { return std::generic_category().message(error); }

} // namespace

CLinuxHidIoPipe::CLinuxHidIoPipe(const HidrawInterface& hidraw)
    : m_Key(hidraw.key),
      m_DevNode(hidraw.devNode),
      m_InputReportSize(hidraw.inputReportSize()),
      m_OutputReportSize(hidraw.outputReportSize()),
      m_OutputNumbered(hidraw.layout.outputNumbered)
{
}

CLinuxHidIoPipe::~CLinuxHidIoPipe() { close(); }

std::shared_ptr<CLinuxHidIoPipe::Connection> CLinuxHidIoPipe::connection()
{
    std::lock_guard<std::mutex> hold(m_state);
    return m_connection;
}

bool CLinuxHidIoPipe::initialize()
{
    std::lock_guard<std::mutex> hold(m_state);
    if (m_connection) {
        if (m_IsOpen.load() && !m_connection->ended() && !hungUp(m_connection->device())) {
            setLastError(std::string());
            return true;
        }
        // Closed, or its device went away: reads still waiting on it end now.
        m_connection->end();
        m_connection.reset();
    }
    m_IsOpen.store(false);

    const int device = ::open(m_DevNode.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (device < 0)
        return fail("cannot open " + m_DevNode + ": " + systemReason(errno));
    // A removed device's hidrawN can be taken by the next device plugged in: open only the one
    // this pipe was made for.
    if (!isSameDevice(m_Key, device)) {
        ::close(device);
        return fail("cannot open " + m_DevNode + ": it is not the device of " + m_Key +
                    " any more (unplugged; its node may belong to another device now)");
    }
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake < 0) {
        const int error = errno;
        ::close(device);
        return fail("cannot open " + m_DevNode + ": no descriptor to wake its reads (eventfd): " + systemReason(error));
    }
    m_connection = std::make_shared<Connection>(device, wake);
    m_IsOpen.store(true);
    setLastError(std::string());
    return true;
}

void CLinuxHidIoPipe::close()
{
    std::shared_ptr<Connection> closing;
    {
        std::lock_guard<std::mutex> hold(m_state);
        m_IsOpen.store(false);
        closing.swap(m_connection);
    }
    if (closing)
        closing->end();
}

bool CLinuxHidIoPipe::isOpen()
{
    const std::shared_ptr<Connection> open = connection();
    if (!open || open->ended() || !m_IsOpen.load())
        return false;
    // Removal shows on the descriptor before any transfer meets it.
    if (hungUp(open->device())) {
        markGone(open);
        return false;
    }
    return true;
}

long CLinuxHidIoPipe::discardInput()
{
    // A read in progress takes the waiting reports itself.
    std::unique_lock<std::mutex> oneReader(m_readers, std::try_to_lock);
    if (!oneReader.owns_lock())
        return 0;
    const std::shared_ptr<Connection> open = connection();
    if (!open || open->ended())
        return 0;
    m_readScratch.resize(static_cast<std::size_t>(m_InputReportSize) + 1);
    // The descriptor is non-blocking: each read() takes one waiting report, or fails with EAGAIN
    // once none is left. The kernel keeps a few dozen; the bound keeps a device that reports
    // without pause from holding the caller here.
    long dropped = 0;
    while (dropped < kMostReportsDiscarded) {
        const ssize_t got = ::read(open->device(), m_readScratch.data(), m_readScratch.size());
        if (got > 0) {
            ++dropped;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && deviceGone(errno))
            markGone(open);
        break;
    }
    return dropped;
}

void CLinuxHidIoPipe::markGone(const std::shared_ptr<Connection>& gone)
{
    std::lock_guard<std::mutex> hold(m_state);
    gone->end();
    if (m_connection == gone)
        m_IsOpen.store(false);
}

bool CLinuxHidIoPipe::fail(const std::string& reason)
{
    // Callers still read errno after a failure to tell removal from the rest.
    const int error = errno;
    setLastError(reason);
    errno = error;
    return false;
}

bool CLinuxHidIoPipe::noReportWithin(long waitMs)
{
    return fail("reading " + m_DevNode + ": no report came within " + std::to_string(waitMs) + " ms");
}

bool CLinuxHidIoPipe::readOne(Connection& connection, unsigned char* packet, long timeout)
{
    const long gapMs = getWaitBeforeEachReport(timeout);
    // Wait first, then read, as a report is seldom waiting already when a read begins: one
    // poll() and one read() per report. The coarse clock is read from memory; the precise one
    // can cost a device access (a virtual machine's HPET), and is not needed unless a wait
    // ends without a report.
    const CoarseClock::time_point deadline = CoarseClock::now() + std::chrono::milliseconds(gapMs);
    long waitMs = gapMs;
    const std::size_t reportSize = static_cast<std::size_t>(m_InputReportSize);
    for (;;) {
        if (connection.ended())
            return fail("reading " + m_DevNode + ": the pipe was closed");
        pollfd fds[2] = {{connection.device(), POLLIN, 0}, {connection.wake(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<long>(waitMs, INT_MAX)));
        if (ready < 0 && errno != EINTR)
            return fail("waiting for a report of " + m_DevNode + ": " + systemReason(errno));
        if (ready > 0 && fds[1].revents != 0)
            return fail("reading " + m_DevNode + ": the pipe was closed or reopened during the read");
        if (ready > 0) {
            // One read() takes one whole report; a larger buffer shows a report that is too long.
            // A hung-up device still hands out the reports queued before its removal.
            const ssize_t got = ::read(connection.device(), m_readScratch.data(), m_readScratch.size());
            if (got >= 0) {
                if (static_cast<std::size_t>(got) != reportSize)
                    return fail("reading " + m_DevNode + ": a report of " + std::to_string(got) + " bytes, not " +
                                std::to_string(reportSize));
                std::memcpy(packet, m_readScratch.data(), reportSize);
                return true;
            }
            if (errno != EINTR && errno != EAGAIN)   // the caller tells removal from other failures
                return fail("reading " + m_DevNode + ": " + systemReason(errno));
            if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                errno = ENODEV;
                return fail("reading " + m_DevNode + ": the device was removed");
            }
        } else if (ready == 0) {
            return noReportWithin(gapMs);
        }
        // Interrupted, or woken without a report: wait for what is left of the time.
        const CoarseClock::duration left = deadline - CoarseClock::now();
        if (left <= CoarseClock::duration::zero())
            return noReportWithin(gapMs);
        waitMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1;
    }
}

bool CLinuxHidIoPipe::readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long timeout)
{
    return readPackets(packets.data(), packets.size(), count, timeout);
}

bool CLinuxHidIoPipe::readPacket(unsigned char* packet, long timeout)
{
    long count = 0;
    return readPackets(&packet, 1, &count, timeout) && count == 1;
}

bool CLinuxHidIoPipe::readPackets(unsigned char* const* packets, std::size_t number, long* count, long timeout)
{
    std::lock_guard<std::mutex> oneReader(m_readers);
    if (count)
        *count = 0;
    const std::shared_ptr<Connection> open = connection();
    if (!open || open->ended())
        return fail("reading " + m_DevNode + ": the pipe is not open");
    m_readScratch.resize(static_cast<std::size_t>(m_InputReportSize) + 1);
    long filled = 0;
    for (std::size_t i = 0; i < number; ++i) {
        errno = 0;
        if (!packets[i])
            return fail("reading " + m_DevNode + ": no buffer for report " + std::to_string(i + 1));
        if (!readOne(*open, packets[i], timeout)) {
            if (deviceGone(errno))
                markGone(open);
            return false;
        }
        if (count)
            *count = ++filled;
    }
    return true;
}

bool CLinuxHidIoPipe::writeOne(Connection& connection, const unsigned char* packet)
{
    const unsigned char* report = packet;
    std::size_t length = static_cast<std::size_t>(m_OutputReportSize);
    if (!m_OutputNumbered) {
        // hidraw takes the report number first; 0 stands for an unnumbered report.
        m_writeScratch.resize(length + 1);
        m_writeScratch[0] = 0;
        std::memcpy(m_writeScratch.data() + 1, packet, length);
        report = m_writeScratch.data();
        length += 1;
    }
    for (;;) {
        const ssize_t written = ::write(connection.device(), report, length);
        if (written >= 0 && static_cast<std::size_t>(written) == length)
            return true;
        if (written >= 0)
            return fail("writing " + m_DevNode + ": " + std::to_string(written) + " of " + std::to_string(length) +
                        " bytes went out");
        if (errno != EINTR)
            return fail("writing " + m_DevNode + ": " + systemReason(errno));
    }
}

bool CLinuxHidIoPipe::writeMultiplePackets(const std::vector<unsigned char*>& packets)
{
    return writePackets(packets.data(), packets.size());
}

bool CLinuxHidIoPipe::writePacket(unsigned char* packet) { return writePackets(&packet, 1); }

bool CLinuxHidIoPipe::writePackets(unsigned char* const* packets, std::size_t number)
{
    std::lock_guard<std::mutex> oneWriter(m_writers);
    const std::shared_ptr<Connection> open = connection();
    if (!open || open->ended())
        return fail("writing " + m_DevNode + ": the pipe is not open");
    for (std::size_t i = 0; i < number; ++i) {
        const unsigned char* packet = packets[i];
        errno = 0;
        if (!packet)
            return fail("writing " + m_DevNode + ": no buffer for report " + std::to_string(i + 1));
        if (open->ended())
            return fail("writing " + m_DevNode + ": the pipe was closed");
        if (!writeOne(*open, packet)) {
            if (deviceGone(errno))
                markGone(open);
            return false;
        }
    }
    return true;
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
