// Plays one scripted remote on a uhid device: answers each output report as SimResponder says,
// at the offsets it gives, disappears and comes back when the description says so.
//
// Report bytes are what the library sees through hidraw: with numbered reports the first byte is
// the report id (1), in output reports as the page wrote it and in input reports put there by the
// player, so the same description gives the same sizes and bytes with or without report ids.
#ifndef UHID_REMOTE_REMOTEPLAYER_H
#define UHID_REMOTE_REMOTEPLAYER_H

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "UhidDevice.h"
#include "sim/SimResponder.h"

namespace sim = quorvex::lumora::client::corvane::hidlet::sim;

class RemotePlayer
{
public:
    typedef std::chrono::steady_clock Clock;

    RemotePlayer(const sim::SimRemoteScript& script, bool numbered, const std::string& uhidNode);

    // Creates the device (plugs the remote in). Throws std::runtime_error on failure.
    void plug();
    const sim::SimRemoteScript& script() const { return m_script; }
    // The uhid descriptor to wait on, or -1 while the remote is away.
    int fd() const { return m_device.exists() ? m_device.fd() : -1; }
    // Handles what the kernel sent on fd().
    void onReadable(Clock::time_point now);
    // Carries out what is due by now; returns when the next thing is due (max() for nothing).
    Clock::time_point runDue(Clock::time_point now);
    // Output reports received and input reports sent, for the log.
    long outputs() const { return m_outputs; }
    long inputs() const { return m_inputs; }

private:
    enum Action { SEND, DESTROY, REPLUG };
    struct Step
    {
        Action action;
        std::vector<unsigned char> bytes;
    };

    void schedule(Clock::time_point when, Step step);

    sim::SimRemoteScript m_script;
    const bool m_numbered;
    const std::string m_uhidNode;
    UhidDevice m_device;
    std::unique_ptr<sim::SimResponder> m_responder;
    // Due steps in time order; steps due at the same time keep the order they were made in.
    std::multimap<Clock::time_point, Step> m_steps;
    long m_outputs = 0;
    long m_inputs = 0;
};

#endif
