#include "CSimHidlet.h"

#include "CSimIoPipe.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

CSimHidlet::CSimHidlet(const boost::shared_ptr<SimDevice>& device) : m_device(device) {}

bool CSimHidlet::updateIoPipes()
{
    std::map<int, boost::shared_ptr<AIoPipe> > fresh;
    if (isSupportedType(getVendorID(), getProductID())) {
        std::map<int, boost::shared_ptr<AIoPipe> >::iterator held = m_IoPipes.find(0);
        fresh[0] = held != m_IoPipes.end() ? held->second : boost::shared_ptr<AIoPipe>(new CSimIoPipe(m_device));
    }
    m_IoPipes.swap(fresh);
    return !m_IoPipes.empty();
}

void CSimHidlet::getIoPipes(std::vector<boost::shared_ptr<AIoPipe> >& pipes)
{
    for (const auto& entry : m_IoPipes)
        pipes.push_back(entry.second);
}

boost::shared_ptr<AIoPipe> CSimHidlet::getIoPipe(AIoPipe* pipe)
{
    for (const auto& entry : m_IoPipes) {
        if (entry.second.get() == pipe)
            return entry.second;
    }
    return boost::shared_ptr<AIoPipe>();
}

void CSimHidlet::removeIoPipe(AIoPipe* pipe)
{
    for (std::map<int, boost::shared_ptr<AIoPipe> >::iterator it = m_IoPipes.begin(); it != m_IoPipes.end(); ++it) {
        if (it->second.get() == pipe) {
            m_IoPipes.erase(it);
            return;
        }
    }
}

void CSimHidlet::removeAllIoPipes() { m_IoPipes.clear(); }

long CSimHidlet::getVendorID() { return m_device->script().vendorId; }

long CSimHidlet::getProductID() { return m_device->script().productId; }

long CSimHidlet::getVersionNumber() { return m_device->script().version; }

std::string CSimHidlet::getDeviceID() { return m_device->script().id; }

std::string CSimHidlet::getDevicePath() { return m_device->script().devicePath(); }

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
