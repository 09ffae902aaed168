// Finds the devices of the remote-control family on the platform.
#ifndef QUORVEX_HIDLET_AHIDLETMANAGER_H
#define QUORVEX_HIDLET_AHIDLETMANAGER_H

#include <vector>

#include <boost/shared_ptr.hpp>

#include "AHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class AHidletManager
{
public:
    virtual ~AHidletManager() {}

    // Appends every device the manager holds, in the manager's key order.
    virtual void getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets) = 0;
    // Re-enumerates the platform and replaces the held set. A device found again keeps its
    // object; a device not found again is released (it lives on while the token layer holds it).
    virtual void updateHidlets() = 0;
    // The held device whose object is the given pointer, else an empty pointer.
    virtual boost::shared_ptr<AHidlet> getHidlet(AHidlet* hidlet) = 0;
    // Forgets the held device whose object is the given pointer.
    virtual void removeHidlet(AHidlet* hidlet) = 0;
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
