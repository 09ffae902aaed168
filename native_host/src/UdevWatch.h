// The kernel's hidraw device events, through libudev's monitor.
#ifndef NATIVE_HOST_UDEVWATCH_H
#define NATIVE_HOST_UDEVWATCH_H

#include <libudev.h>

#include "DeviceWatch.h"

namespace native_host {

class UdevWatch : public DeviceWatch {
public:
    // Null when no monitor can be had.
    static std::unique_ptr<UdevWatch> open();
    ~UdevWatch() override;

    int fd() const override;
    bool drain() override;

private:
    UdevWatch() = default;

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

} // namespace native_host

#endif
