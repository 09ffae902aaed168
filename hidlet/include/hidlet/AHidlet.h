// One device of the remote-control family with its I/O pipes.
#ifndef QUORVEX_HIDLET_AHIDLET_H
#define QUORVEX_HIDLET_AHIDLET_H

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "AIoPipe.h"
#include "UsbType.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class AHidlet
{
public:
    virtual ~AHidlet() {}

    // Appends every pipe of the device, in key order.
    virtual void getIoPipes(std::vector<boost::shared_ptr<AIoPipe> >& pipes) = 0;
    // The device's pipe whose object is the given pointer, else an empty pointer.
    virtual boost::shared_ptr<AIoPipe> getIoPipe(AIoPipe* pipe) = 0;
    virtual void removeIoPipe(AIoPipe* pipe) = 0;
    virtual void removeAllIoPipes() = 0;
    virtual long getVendorID() = 0;
    virtual long getProductID() = 0;
    virtual long getVersionNumber() = 0;
    virtual std::string getDeviceID() = 0;
    // The device's location text: its identifier toward the engine and the page.
    virtual std::string getDevicePath() = 0;

    // The supported device types, in registration order (duplicates allowed). A device is of
    // interest only when its vendor and product id pair equals one entry. Guarded by the
    // library's lock: only the token API and enumeration under it touch the list.
    static std::vector<boost::shared_ptr<UsbType> > s_SupportedUSBType;

    // True when the pair equals an entry of s_SupportedUSBType.
    static bool isSupportedType(long vendorId, long productId);
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
