#include "CLinuxHidletManager.h"

#include "CLinuxHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

CLinuxHidletManager::CLinuxHidletManager(const LinuxRoots& roots) : m_Roots(roots) {}

void CLinuxHidletManager::getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets)
{
    for (const auto& entry : m_Hidlets)
        hidlets.push_back(entry.second);
}

void CLinuxHidletManager::updateHidlets()
{
    std::map<std::string, boost::shared_ptr<AHidlet> > found;
    for (const std::string& name : listHidrawNames(m_Roots)) {
        // A device already held keeps its object and is not examined again.
        std::map<std::string, boost::shared_ptr<AHidlet> >::iterator held = m_Hidlets.find(hidrawKey(m_Roots, name));
        if (held != m_Hidlets.end()) {
            found.insert(*held);
            continue;
        }
        HidrawInterface hidraw;
        if (!describeHidraw(m_Roots, name, &hidraw) || !hidraw.isRemoteFamily())
            continue;
        boost::shared_ptr<CLinuxHidlet> hidlet(new CLinuxHidlet(hidraw));
        if (hidlet->updateIoPipes())
            found[hidraw.key] = hidlet;
    }
    m_Hidlets.swap(found);
}

boost::shared_ptr<AHidlet> CLinuxHidletManager::getHidlet(AHidlet* hidlet)
{
    for (const auto& entry : m_Hidlets) {
        if (entry.second.get() == hidlet)
            return entry.second;
    }
    return boost::shared_ptr<AHidlet>();
}

void CLinuxHidletManager::removeHidlet(AHidlet* hidlet)
{
    for (std::map<std::string, boost::shared_ptr<AHidlet> >::iterator it = m_Hidlets.begin(); it != m_Hidlets.end(); ++it) {
        if (it->second.get() == hidlet) {
            m_Hidlets.erase(it);
            return;
        }
    }
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
