// One supported device type: the USB vendor and product id pair of a remote family.
#ifndef QUORVEX_HIDLET_USBTYPE_H
#define QUORVEX_HIDLET_USBTYPE_H

#include <cstdint>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

struct UsbType
{
    UsbType(std::int32_t vendor, std::int32_t product) : vendorId(vendor), productId(product) {}

    std::int32_t vendorId;
    std::int32_t productId;
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
