#include "CSimIoPipe.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

CSimIoPipe::CSimIoPipe(const boost::shared_ptr<SimDevice>& device) : m_device(device) {}

CSimIoPipe::~CSimIoPipe() { close(); }

bool CSimIoPipe::initialize()
{
    std::lock_guard<std::mutex> hold(m_device->lock());
    if (m_device->script().openFails || !m_device->presentLocked(SimDevice::Clock::now())) {
        m_IsOpen = false;
        return fail(m_device->script().openFails ? "cannot open: the remote's description says it fails to open"
                                                 : "cannot open: the remote was unplugged");
    }
    if (!m_IsOpen)
        m_queue.clear();
    m_IsOpen = true;
    setLastError(std::string());
    return true;
}

long CSimIoPipe::getInputReportSize() const { return m_device->script().inputSize; }

long CSimIoPipe::getOutputReportSize() const { return m_device->script().outputSize; }

bool CSimIoPipe::fail(const std::string& reason)
{
    setLastError("simulated remote " + m_device->script().id + ": " + reason);
    return false;
}

bool CSimIoPipe::readOneLocked(std::unique_lock<std::mutex>& held, unsigned char* packet, long timeout)
{
    typedef SimDevice::Clock Clock;
    const long gapMs = getWaitBeforeEachReport(timeout);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(gapMs);
    for (;;) {
        if (!m_IsOpen)
            return fail("reading: the pipe is not open");
        const Clock::time_point now = Clock::now();
        // Reports that arrived before a removal can still be read.
        if (!m_queue.empty() && m_queue.front().due <= now) {
            const std::vector<unsigned char> bytes = m_queue.front().bytes;
            m_queue.pop_front();
            if (static_cast<long>(bytes.size()) != getInputReportSize())
                return fail("reading: a report of " + std::to_string(bytes.size()) + " bytes, not " +
                            std::to_string(getInputReportSize()));
            std::memcpy(packet, bytes.data(), bytes.size());
            return true;
        }
        if (!m_device->presentLocked(now)) {
            m_IsOpen = false;
            return fail("reading: the remote was unplugged");
        }
        if (now >= deadline)
            return fail("reading: no report came within " + std::to_string(gapMs) + " ms");
        Clock::time_point wake = deadline;
        if (!m_queue.empty())
            wake = std::min(wake, m_queue.front().due);
        Clock::time_point gone;
        if (m_device->vanishesLocked(&gone))
            wake = std::min(wake, gone);
        m_device->changed().wait_until(held, wake);
    }
}

bool CSimIoPipe::readMultiplePackets(const std::vector<unsigned char*>& packets, long* count, long timeout)
{
    std::lock_guard<std::mutex> oneReader(m_readers);
    std::unique_lock<std::mutex> held(m_device->lock());
    long filled = 0;
    if (count)
        *count = 0;
    for (unsigned char* packet : packets) {
        if (!packet)
            return fail("reading: no buffer for report " + std::to_string(filled + 1));
        if (!readOneLocked(held, packet, timeout))
            return false;
        if (count)
            *count = ++filled;
    }
    return true;
}

bool CSimIoPipe::writeMultiplePackets(const std::vector<unsigned char*>& packets)
{
    std::lock_guard<std::mutex> oneWriter(m_writers);
    std::lock_guard<std::mutex> hold(m_device->lock());
    const std::size_t size = static_cast<std::size_t>(getOutputReportSize());
    for (unsigned char* packet : packets) {
        const SimDevice::Clock::time_point now = SimDevice::Clock::now();
        if (!m_IsOpen)
            return fail("writing: the pipe is not open");
        if (!packet)
            return fail("writing: no buffer for a report");
        if (!m_device->presentLocked(now))
            return fail("writing: the remote was unplugged");
        const SimAnswer answer = m_device->answerLocked(packet, size, now);
        for (const ScheduledReport& report : answer.reports) {
            if (m_queue.size() >= kQueueDepth)
                break;
            Pending pending{now + std::chrono::milliseconds(report.offsetMs), report.bytes};
            // Keep the queue in due order (reports of equal time stay in arrival order).
            std::deque<Pending>::iterator at = std::upper_bound(
                m_queue.begin(), m_queue.end(), pending,
                [](const Pending& a, const Pending& b) { return a.due < b.due; });
            m_queue.insert(at, pending);
        }
    }
    m_device->changed().notify_all();
    return true;
}

bool CSimIoPipe::isOpen()
{
    std::lock_guard<std::mutex> hold(m_device->lock());
    return m_IsOpen && m_device->presentLocked(SimDevice::Clock::now());
}

long CSimIoPipe::discardInput()
{
    std::lock_guard<std::mutex> hold(m_device->lock());
    if (!m_IsOpen)
        return 0;
    // Reports of the queue that are not due yet are still on their way from the remote.
    const SimDevice::Clock::time_point now = SimDevice::Clock::now();
    long dropped = 0;
    while (!m_queue.empty() && m_queue.front().due <= now) {
        m_queue.pop_front();
        ++dropped;
    }
    return dropped;
}

void CSimIoPipe::close()
{
    std::lock_guard<std::mutex> hold(m_device->lock());
    m_IsOpen = false;
    m_queue.clear();
    m_device->changed().notify_all();
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
