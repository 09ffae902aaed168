// Plays one scripted remote on a device: answers each output report as SimResponder says, at the
// offsets it gives, disappears and comes back when the description says so.
//
// Report bytes are what the library sees through hidraw: with numbered reports the first byte is
// the report id (1), in output reports as the page wrote it and in input reports put there by the
// player, so the same description gives the same sizes and bytes with or without report ids.
//
// What falls due is carried out in order, as far as the device lets it: a USB device takes its
// next input report only once the host has polled for the one before, and a remote that
// disappears after its K-th report waits (a second at most) until the host has taken it.
#ifndef REMOTE_PLAYER_REMOTEPLAYER_H
#define REMOTE_PLAYER_REMOTEPLAYER_H

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RemoteDevice.h"
#include "sim/SimResponder.h"

namespace sim = quorvex::lumora::client::corvane::hidlet::sim;

class RemotePlayer
{
public:
    typedef std::chrono::steady_clock Clock;

    // program: the name the log lines start with.
    RemotePlayer(const sim::SimRemoteScript& script, bool numbered, std::unique_ptr<RemoteDevice> device,
                 const std::string& program);

    // Plugs the remote in. Throws std::runtime_error on failure.
    void plug();
    const sim::SimRemoteScript& script() const { return m_script; }
    // The descriptor to wait on, or -1 while the remote is away, and the events to wait for.
    int fd() const { return m_device->plugged() ? m_device->fd() : -1; }
    short events() const;
    // Handles what poll() reported on fd().
    void onReady(short revents, Clock::time_point now);
    // Carries out what is due by now; returns when the next thing is due (max() for nothing).
    Clock::time_point runDue(Clock::time_point now);
    // Output reports received and input reports sent, for the log.
    long outputs() const { return m_outputs; }
    long inputs() const { return m_inputs; }

    // How long a removal waits for the host to take the reports sent before it.
    static const std::chrono::milliseconds REMOVAL_WAIT;

private:
    enum Action { SEND, DESTROY, REPLUG };
    struct Step
    {
        Action action;
        std::vector<unsigned char> bytes;
    };

    void schedule(Clock::time_point when, Step step);
    void carryOut(Clock::time_point now);
    void log(const std::string& what) const;

    sim::SimRemoteScript m_script;
    const bool m_numbered;
    std::unique_ptr<RemoteDevice> m_device;
    const std::string m_program;
    std::unique_ptr<sim::SimResponder> m_responder;
    // Steps to come in time order; steps due at the same time keep the order they were made in.
    std::multimap<Clock::time_point, Step> m_steps;
    // Steps that fell due and wait for the device, in order.
    std::deque<Step> m_due;
    bool m_waitsForDevice = false;
    Clock::time_point m_removalDeadline;   // set while a removal waits for the host
    long m_outputs = 0;
    long m_inputs = 0;
};

#endif
