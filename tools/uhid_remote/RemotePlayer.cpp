#include "RemotePlayer.h"

#include <cstdio>
#include <exception>

RemotePlayer::RemotePlayer(const sim::SimRemoteScript& script, bool numbered, const std::string& uhidNode)
    : m_script(script), m_numbered(numbered), m_uhidNode(uhidNode)
{
}

void RemotePlayer::plug()
{
    UhidIdentity identity;
    identity.name = "uhid-remote " + m_script.id;
    identity.phys = "uhid-remote/" + m_script.id;
    identity.uniq = m_script.id;
    identity.vendor = static_cast<unsigned int>(m_script.vendorId);
    identity.product = static_cast<unsigned int>(m_script.productId);
    identity.version = static_cast<unsigned int>(m_script.version < 0 ? 0 : m_script.version);
    m_device.create(m_uhidNode, identity, remoteReportDescriptor(m_script.inputSize, m_script.outputSize, m_numbered));
    // A new plugging starts the script afresh, as a simulated remote plugged again does.
    m_responder.reset(new sim::SimResponder(m_script));
    std::printf("uhid-remote: %s: %04lx:%04lx, input %ld, output %ld bytes, %s reports: plugged\n",
                m_script.id.c_str(), m_script.vendorId, m_script.productId, m_script.inputSize, m_script.outputSize,
                m_numbered ? "numbered (id 1)" : "unnumbered");
    std::fflush(stdout);
}

void RemotePlayer::schedule(Clock::time_point when, Step step)
{
    m_steps.insert(m_steps.upper_bound(when), std::make_pair(when, std::move(step)));
}

void RemotePlayer::onReadable(Clock::time_point now)
{
    std::vector<unsigned char> output;
    if (!m_device.takeOutput(&output) || !m_responder)
        return;
    // hidraw puts the report number first; for unnumbered reports it is a 0 that is not part of
    // the report.
    if (!m_numbered && !output.empty())
        output.erase(output.begin());
    ++m_outputs;
    const sim::SimAnswer answer = m_responder->answer(output.data(), output.size());
    for (const sim::ScheduledReport& report : answer.reports) {
        Step step{SEND, report.bytes};
        if (m_numbered && !step.bytes.empty())
            step.bytes[0] = 1;
        schedule(now + std::chrono::milliseconds(report.offsetMs), std::move(step));
    }
    if (answer.vanishes) {
        const Clock::time_point gone = now + std::chrono::milliseconds(answer.vanishOffsetMs);
        schedule(gone, Step{DESTROY, {}});
        if (m_script.replugMs >= 0)
            schedule(gone + std::chrono::milliseconds(m_script.replugMs), Step{REPLUG, {}});
    }
}

RemotePlayer::Clock::time_point RemotePlayer::runDue(Clock::time_point now)
{
    while (!m_steps.empty() && m_steps.begin()->first <= now) {
        const Step step = m_steps.begin()->second;
        m_steps.erase(m_steps.begin());
        switch (step.action) {
        case SEND:
            if (m_device.sendInput(step.bytes.data(), step.bytes.size()))
                ++m_inputs;
            break;
        case DESTROY:
            m_device.destroy();
            std::printf("uhid-remote: %s: gone after %ld input reports\n", m_script.id.c_str(), m_inputs);
            std::fflush(stdout);
            break;
        case REPLUG:
            try {
                plug();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "uhid-remote: %s: cannot plug in again: %s\n", m_script.id.c_str(), e.what());
            }
            break;
        }
    }
    return m_steps.empty() ? Clock::time_point::max() : m_steps.begin()->first;
}
