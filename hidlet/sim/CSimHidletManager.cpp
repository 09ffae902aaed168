#include "CSimHidletManager.h"

#include "CSimHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

CSimHidletManager::CSimHidletManager(const std::string& source) : m_bus(source) {}

void CSimHidletManager::getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets)
{
    for (const auto& entry : m_Hidlets)
        hidlets.push_back(entry.second);
}

void CSimHidletManager::updateHidlets()
{
    std::map<Key, boost::shared_ptr<AHidlet> > found;
    for (const boost::shared_ptr<SimDevice>& device : m_bus.refresh()) {
        const Key key(device->script().id, device->serial());
        std::map<Key, boost::shared_ptr<AHidlet> >::iterator held = m_Hidlets.find(key);
        if (held != m_Hidlets.end()) {
            found.insert(*held);
            continue;
        }
        boost::shared_ptr<CSimHidlet> hidlet(new CSimHidlet(device));
        if (hidlet->updateIoPipes())
            found[key] = hidlet;
    }
    m_Hidlets.swap(found);
}

boost::shared_ptr<AHidlet> CSimHidletManager::getHidlet(AHidlet* hidlet)
{
    for (const auto& entry : m_Hidlets) {
        if (entry.second.get() == hidlet)
            return entry.second;
    }
    return boost::shared_ptr<AHidlet>();
}

void CSimHidletManager::removeHidlet(AHidlet* hidlet)
{
    for (std::map<Key, boost::shared_ptr<AHidlet> >::iterator it = m_Hidlets.begin(); it != m_Hidlets.end(); ++it) {
        if (it->second.get() == hidlet) {
            m_Hidlets.erase(it);
            return;
        }
    }
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
