#include "RemotePlayer.h"

#include <cstdio>
#include <exception>

#include <poll.h>

const std::chrono::milliseconds RemotePlayer::REMOVAL_WAIT(1000);

RemotePlayer::RemotePlayer(const sim::SimRemoteScript& script, bool numbered, std::unique_ptr<RemoteDevice> device,
                           const std::string& program)
    : m_script(script), m_numbered(numbered), m_device(std::move(device)), m_program(program)
{
}

void RemotePlayer::log(const std::string& what) const
{
    std::printf("%s: %s: %s\n", m_program.c_str(), m_script.id.c_str(), what.c_str());
    std::fflush(stdout);
}

void RemotePlayer::plug()
{
    RemoteIdentity identity;
    identity.id = m_script.id;
    identity.name = m_program + " " + m_script.id;
    identity.vendor = static_cast<unsigned int>(m_script.vendorId);
    identity.product = static_cast<unsigned int>(m_script.productId);
    identity.version = static_cast<unsigned int>(m_script.version < 0 ? 0 : m_script.version);
    m_device->plug(identity, remoteReportDescriptor(m_script.inputSize, m_script.outputSize, m_numbered));
    // A new plugging starts the script afresh, as a simulated remote plugged again does.
    m_responder.reset(new sim::SimResponder(m_script));
    char line[200];
    std::snprintf(line, sizeof line, "%04lx:%04lx, input %ld, output %ld bytes, %s reports: plugged", m_script.vendorId,
                  m_script.productId, m_script.inputSize, m_script.outputSize,
                  m_numbered ? "numbered (id 1)" : "unnumbered");
    const std::string place = m_device->place();
    log(place.empty() ? line : std::string(line) + " " + place);
}

short RemotePlayer::events() const
{
    return static_cast<short>(POLLIN | (m_waitsForDevice ? POLLOUT : 0));
}

void RemotePlayer::schedule(Clock::time_point when, Step step)
{
    m_steps.insert(m_steps.upper_bound(when), std::make_pair(when, std::move(step)));
}

void RemotePlayer::onReady(short revents, Clock::time_point now)
{
    std::vector<unsigned char> output;
    if (!(revents & POLLIN) || !m_device->takeOutput(&output) || !m_responder)
        return;
    ++m_outputs;
    const sim::SimAnswer answer = m_responder->answer(output.data(), output.size());
    for (const sim::ScheduledReport& report : answer.reports) {
        Step step{SEND, report.bytes};
        if (m_numbered && !step.bytes.empty())
            step.bytes[0] = 1;
        schedule(now + std::chrono::milliseconds(report.offsetMs), std::move(step));
    }
    if (answer.vanishes)
        schedule(now + std::chrono::milliseconds(answer.vanishOffsetMs), Step{DESTROY, {}});
}

void RemotePlayer::carryOut(Clock::time_point now)
{
    m_waitsForDevice = false;
    while (!m_due.empty()) {
        const Step& step = m_due.front();
        switch (step.action) {
        case SEND:
            if (m_device->plugged()) {
                const RemoteDevice::SendResult sent = m_device->sendInput(step.bytes.data(), step.bytes.size());
                if (sent == RemoteDevice::BUSY) {
                    m_waitsForDevice = true;
                    return;
                }
                if (sent == RemoteDevice::SENT)
                    ++m_inputs;
            }
            break;
        case DESTROY:
            if (m_device->plugged() && !m_device->drained()) {
                if (m_removalDeadline == Clock::time_point())
                    m_removalDeadline = now + REMOVAL_WAIT;
                if (now < m_removalDeadline) {
                    m_waitsForDevice = true;
                    return;
                }
                log("the host did not take the last report; leaving anyway");
            }
            m_removalDeadline = Clock::time_point();
            m_device->unplug();
            log("gone after " + std::to_string(m_inputs) + " input reports");
            // Back as a new device that long after it went, whenever that was.
            if (m_script.replugMs >= 0)
                schedule(now + std::chrono::milliseconds(m_script.replugMs), Step{REPLUG, {}});
            break;
        case REPLUG:
            try {
                plug();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s: %s: cannot plug in again: %s\n", m_program.c_str(), m_script.id.c_str(), e.what());
            }
            break;
        }
        m_due.pop_front();
    }
}

RemotePlayer::Clock::time_point RemotePlayer::runDue(Clock::time_point now)
{
    while (!m_steps.empty() && m_steps.begin()->first <= now) {
        m_due.push_back(std::move(m_steps.begin()->second));
        m_steps.erase(m_steps.begin());
    }
    carryOut(now);
    Clock::time_point next = m_steps.empty() ? Clock::time_point::max() : m_steps.begin()->first;
    if (m_removalDeadline != Clock::time_point() && m_removalDeadline < next)
        next = m_removalDeadline;
    return next;
}
