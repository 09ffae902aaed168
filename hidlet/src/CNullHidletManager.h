// A manager that finds nothing: used where the platform offers no HID access.
#ifndef QUORVEX_HIDLET_CNULLHIDLETMANAGER_H
#define QUORVEX_HIDLET_CNULLHIDLETMANAGER_H

#include "hidlet/AHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class CNullHidletManager : public AHidletManager
{
public:
    void getHidlets(std::vector<boost::shared_ptr<AHidlet> >&) override {}
    void updateHidlets() override {}
    boost::shared_ptr<AHidlet> getHidlet(AHidlet*) override { return boost::shared_ptr<AHidlet>(); }
    void removeHidlet(AHidlet*) override {}
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
