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
        described.emplace(key, known->second);
        return true;
    }
    if (!describeHidrawAt(m_Roots, name, key, out))
        return false;
    // Only a complete description is kept: one whose reads failed is taken again next time.
    if (out->descriptorRead && out->vendorId >= 0 && out->productId >= 0)
        described.emplace(key, Description{stamp, *out});
    return true;
}

CLinuxHidletManager::Link CLinuxHidletManager::linkOf(const HidrawListing& listing, const HidrawEntry& entry) const
{
    Link link;
    link.inode = entry.linkInode;
    if (listing.onSysfs && entry.linkInode != 0) {
        // The same link as last time is the same device: nothing to look up.
        std::map<std::string, Link>::const_iterator seen = m_Links.find(entry.name);
        if (seen != m_Links.end() && seen->second.inode == entry.linkInode)
            return seen->second;
        // A newcomer: its link names its folder, and the link's number stamps it as well as the
        // folder's would, so the folder is not looked at.
        link.key = hidrawLinkKey(m_Roots, entry.name);
        link.stamp = HidrawStamp{0, entry.linkInode, 0, 0};
        return link;
    }
    link.key = hidrawKey(m_Roots, entry.name, &link.stamp);
    return link;
}

void CLinuxHidletManager::updateHidlets()
{
    std::map<std::string, boost::shared_ptr<AHidlet> > found;
    std::map<std::string, Description> described;
    std::map<std::string, Link> links;
    const HidrawListing listing = listHidrawEntries(m_Roots);
    for (const HidrawEntry& entry : listing.entries) {
        const Link link = linkOf(listing, entry);
        if (link.key.empty())
            continue;
        links[entry.name] = link;
        const std::string& name = entry.name;
        const std::string& key = link.key;
        const HidrawStamp& stamp = link.stamp;
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
    m_Links.swap(links);
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
