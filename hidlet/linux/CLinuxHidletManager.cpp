#include "CLinuxHidletManager.h"

#include "CLinuxHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

CLinuxHidletManager::CLinuxHidletManager(const LinuxRoots& roots) : m_Roots(roots) {}

void CLinuxHidletManager::getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets)
{
    for (const auto& entry : m_Hidlets)
        hidlets.push_back(entry.second);
}

bool CLinuxHidletManager::describe(const std::string& name, const std::string& key, const HidrawStamp& stamp,
                                   std::map<std::string, Description>& described, HidrawInterface* out)
{
    std::map<std::string, Description>::const_iterator known = m_Described.find(key);
    if (known != m_Described.end() && known->second.stamp == stamp && known->second.hidraw.name == name) {
        *out = known->second.hidraw;
        described[key] = known->second;
        return true;
    }
    if (!describeHidrawAt(m_Roots, name, key, out))
        return false;
    // Only a complete description is kept: one whose reads failed is taken again next time.
    if (out->descriptorRead && out->vendorId >= 0 && out->productId >= 0)
        described[key] = Description{stamp, *out};
    return true;
}

void CLinuxHidletManager::updateHidlets()
{
    std::map<std::string, boost::shared_ptr<AHidlet> > found;
    std::map<std::string, Description> described;
    for (const std::string& name : listHidrawNames(m_Roots)) {
        HidrawStamp stamp;
        const std::string key = hidrawKey(m_Roots, name, &stamp);
        if (key.empty())
            continue;
        // A device already held keeps its object and is not examined again.
        std::map<std::string, boost::shared_ptr<AHidlet> >::iterator held = m_Hidlets.find(key);
        if (held != m_Hidlets.end()) {
            found.insert(*held);
            std::map<std::string, Description>::const_iterator known = m_Described.find(key);
            if (known != m_Described.end())
                described.insert(*known);
            continue;
        }
        HidrawInterface hidraw;
        if (!describe(name, key, stamp, described, &hidraw) || !hidraw.isRemoteFamily())
            continue;
        boost::shared_ptr<CLinuxHidlet> hidlet(new CLinuxHidlet(hidraw));
        if (hidlet->updateIoPipes())
            found[hidraw.key] = hidlet;
    }
    m_Hidlets.swap(found);
    m_Described.swap(described);
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
