#include "SimDevice.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

SimDevice::SimDevice(const SimRemoteScript& script, unsigned long serial)
    : m_script(script), m_serial(serial), m_responder(script)
{
}

bool SimDevice::presentLocked(Clock::time_point now) const
{
    if (m_unplugged)
        return false;
    return !m_vanishes || now < m_goneAt;
}

bool SimDevice::vanishesLocked(Clock::time_point* when) const
{
    if (m_vanishes && when)
        *when = m_goneAt;
    return m_vanishes;
}

SimAnswer SimDevice::answerLocked(const unsigned char* output, std::size_t length, Clock::time_point now)
{
    SimAnswer answer = m_responder.answer(output, length);
    if (answer.vanishes && !m_vanishes) {
        m_vanishes = true;
        m_goneAt = now + std::chrono::milliseconds(answer.vanishOffsetMs);
    }
    m_changed.notify_all();
    return answer;
}

bool SimDevice::present()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return presentLocked(Clock::now());
}

SimDevice::Clock::time_point SimDevice::goneSince()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_goneAt;
}

void SimDevice::unplug()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!presentLocked(Clock::now()))
        return;
    m_unplugged = true;
    m_goneAt = Clock::now();
    m_changed.notify_all();
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
