#include "CLinuxHidlet.h"

#include "CLinuxHidIoPipe.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

CLinuxHidlet::CLinuxHidlet(const HidrawInterface& hidraw)
    : m_Hidraw(hidraw),
      m_ProductID(hidraw.productId),
      m_VersionNumber(hidraw.version),
      m_VendorID(hidraw.vendorId),
      m_DevicePath(hidraw.devicePath())
{
}

bool CLinuxHidlet::updateIoPipes()
{
    std::map<std::string, boost::shared_ptr<AIoPipe> > pipes;
    if (isSupportedType(m_VendorID, m_ProductID)) {
        std::map<std::string, boost::shared_ptr<AIoPipe> >::iterator held = m_IoPipes.find(m_Hidraw.key);
        if (held != m_IoPipes.end())
            pipes.insert(*held);
        else
            pipes[m_Hidraw.key] = boost::shared_ptr<AIoPipe>(new CLinuxHidIoPipe(m_Hidraw));
    }
    m_IoPipes.swap(pipes);
    return !m_IoPipes.empty();
}

void CLinuxHidlet::getIoPipes(std::vector<boost::shared_ptr<AIoPipe> >& pipes)
{
    for (const auto& entry : m_IoPipes)
        pipes.push_back(entry.second);
}

boost::shared_ptr<AIoPipe> CLinuxHidlet::getIoPipe(AIoPipe* pipe)
{
    for (const auto& entry : m_IoPipes) {
        if (entry.second.get() == pipe)
            return entry.second;
    }
    return boost::shared_ptr<AIoPipe>();
}

void CLinuxHidlet::removeIoPipe(AIoPipe* pipe)
{
    for (std::map<std::string, boost::shared_ptr<AIoPipe> >::iterator it = m_IoPipes.begin(); it != m_IoPipes.end(); ++it) {
        if (it->second.get() == pipe) {
            m_IoPipes.erase(it);
            return;
        }
    }
}

void CLinuxHidlet::removeAllIoPipes() { m_IoPipes.clear(); }

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
