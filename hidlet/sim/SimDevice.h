// One plugged simulated remote: its description, its responder, and whether it is still there.
// Its pipes share its lock and condition, so a removal wakes every read that waits on it.
#ifndef QUORVEX_HIDLET_SIM_SIMDEVICE_H
#define QUORVEX_HIDLET_SIM_SIMDEVICE_H

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "SimResponder.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

class SimDevice
{
public:
    typedef std::chrono::steady_clock Clock;

    SimDevice(const SimRemoteScript& script, unsigned long serial);

    const SimRemoteScript& script() const { return m_script; }
    // Distinguishes two pluggings of the same remote.
    unsigned long serial() const { return m_serial; }

    std::mutex& lock() { return m_lock; }
    std::condition_variable& changed() { return m_changed; }

    // Under lock(): whether the remote is still plugged at the given time.
    bool presentLocked(Clock::time_point now) const;
    // Under lock(): when it disappears by script, if it is going to.
    bool vanishesLocked(Clock::time_point* when) const;
    // Under lock(): the answer to an output report arriving now; schedules the disappearance.
    SimAnswer answerLocked(const unsigned char* output, std::size_t length, Clock::time_point now);

    bool present();
    // When it went away (unplugged or vanished); only meaningful once it is not present.
    Clock::time_point goneSince();
    // Removes the remote now and wakes everything waiting on it.
    void unplug();

private:
    const SimRemoteScript m_script;
    const unsigned long m_serial;
    std::mutex m_lock;
    std::condition_variable m_changed;
    SimResponder m_responder;
    bool m_unplugged = false;
    bool m_vanishes = false;
    Clock::time_point m_goneAt;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
