// The device manager over the simulated remotes.
#ifndef QUORVEX_HIDLET_SIM_CSIMHIDLETMANAGER_H
#define QUORVEX_HIDLET_SIM_CSIMHIDLETMANAGER_H

#include <map>
#include <memory>
#include <utility>

#include "SimBus.h"
#include "hidlet/AHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

class CSimHidletManager : public AHidletManager
{
public:
    explicit CSimHidletManager(const std::string& source);

    void getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets) override;
    void updateHidlets() override;
    boost::shared_ptr<AHidlet> getHidlet(AHidlet* hidlet) override;
    void removeHidlet(AHidlet* hidlet) override;

private:
    // A plugging of a remote: its id and serial, so a re-plugged remote is a new device.
    typedef std::pair<std::string, unsigned long> Key;

    SimBus m_bus;
    std::map<Key, boost::shared_ptr<AHidlet> > m_Hidlets;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
