// What a scripted remote answers to each output report: input reports with their offsets from
// the moment the output report arrived, and whether the remote disappears. Pure logic without
// clocks, so the simulated pipe and the uhid remote play it the same way.
#ifndef QUORVEX_HIDLET_SIM_SIMRESPONDER_H
#define QUORVEX_HIDLET_SIM_SIMRESPONDER_H

#include <cstddef>
#include <vector>

#include "SimRemoteScript.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

struct ScheduledReport
{
    long offsetMs;
    std::vector<unsigned char> bytes;
};

struct SimAnswer
{
    std::vector<ScheduledReport> reports;
    bool vanishes = false;
    long vanishOffsetMs = 0;   // right after the last report of the answer
};

class SimResponder
{
public:
    explicit SimResponder(const SimRemoteScript& script) : m_script(script) {}

    // The answer to one output report of the given bytes. Counts the input reports sent, so a
    // remote with vanish=K disappears after its K-th report over all answers.
    SimAnswer answer(const unsigned char* output, std::size_t length);

    long reportsSent() const { return m_sent; }

private:
    SimRemoteScript m_script;
    long m_sent = 0;
    bool m_vanished = false;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
