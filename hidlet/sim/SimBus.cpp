#include "SimBus.h"

#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

SimBus::SimBus(const std::string& source)
{
    if (!source.empty() && source[0] == '@')
        m_file = source.substr(1);
    else
        m_inline = source;
}

std::vector<SimRemoteScript> SimBus::describe()
{
    std::string text = m_inline;
    if (!m_file.empty()) {
        std::ifstream in(m_file.c_str());
        if (!in)
            return std::vector<SimRemoteScript>();   // no file: nothing plugged
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    try {
        m_lastGood = parseSimRemotes(text);
        m_lastError.clear();
    } catch (const std::invalid_argument& e) {
        // A description being rewritten may be half-written: keep the last good one.
        if (m_lastError != e.what())
            std::cerr << "hidlet: HIDLET_SIM: " << e.what() << std::endl;
        m_lastError = e.what();
    }
    return m_lastGood;
}

std::vector<boost::shared_ptr<SimDevice> > SimBus::refresh()
{
    const std::vector<SimRemoteScript> scripts = describe();
    const SimDevice::Clock::time_point now = SimDevice::Clock::now();
    std::vector<boost::shared_ptr<SimDevice> > present;
    std::set<std::string> described;
    for (const SimRemoteScript& script : scripts) {
        described.insert(script.id);
        boost::shared_ptr<SimDevice>& slot = m_plugged[script.id];
        if (slot && slot->script().text != script.text) {
            slot->unplug();
            slot.reset();
        }
        if (slot && !slot->present()) {
            const bool replugDue = script.replugMs >= 0 &&
                                   now >= slot->goneSince() + std::chrono::milliseconds(script.replugMs);
            if (replugDue)
                slot.reset();
        }
        if (!slot)
            slot.reset(new SimDevice(script, m_nextSerial++));
        if (slot->present())
            present.push_back(slot);
    }
    for (std::map<std::string, boost::shared_ptr<SimDevice> >::iterator it = m_plugged.begin(); it != m_plugged.end();) {
        if (described.count(it->first)) {
            ++it;
            continue;
        }
        it->second->unplug();
        m_plugged.erase(it++);
    }
    return present;
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
