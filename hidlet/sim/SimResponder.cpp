#include "SimResponder.h"

#include <algorithm>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

SimAnswer SimResponder::answer(const unsigned char* output, std::size_t length)
{
    SimAnswer result;
    if (m_vanished)
        return result;

    const std::size_t in = static_cast<std::size_t>(m_script.inputSize);
    std::vector<unsigned char> base(in, 0);
    if (output)
        std::copy(output, output + std::min(length, in), base.begin());

    std::vector<std::vector<unsigned char> > reports;
    switch (m_script.reply) {
    case SimRemoteScript::ECHO:
        reports.push_back(base);
        break;
    case SimRemoteScript::COUNT:
        for (long k = 0; k < m_script.replyCount; ++k) {
            reports.push_back(base);
            reports.back()[in - 1] = static_cast<unsigned char>(k);
        }
        break;
    case SimRemoteScript::SILENT:
        break;
    }
    if (m_script.reply != SimRemoteScript::SILENT && !m_script.endPacket.empty()) {
        reports.push_back(m_script.endPacket);
        reports.back().resize(in, 0);
    }
    if (m_script.answerLength >= 0) {
        for (std::vector<unsigned char>& r : reports)
            r.resize(static_cast<std::size_t>(m_script.answerLength), 0);
    }

    if (m_script.vanishAfter >= 0 && m_sent + static_cast<long>(reports.size()) >= m_script.vanishAfter) {
        reports.resize(static_cast<std::size_t>(std::max(0L, m_script.vanishAfter - m_sent)));
        result.vanishes = true;
        m_vanished = true;
    }
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const long offset = m_script.delayMs + static_cast<long>(i) * m_script.rateMs;
        result.reports.push_back(ScheduledReport{offset, reports[i]});
    }
    if (result.vanishes)
        result.vanishOffsetMs = result.reports.empty() ? 0 : result.reports.back().offsetMs;
    m_sent += static_cast<long>(result.reports.size());
    return result;
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
