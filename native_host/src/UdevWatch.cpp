#include "UdevWatch.h"

#include <iostream>
#include <unistd.h>

namespace native_host {

std::unique_ptr<UdevWatch> UdevWatch::open()
{
    std::unique_ptr<UdevWatch> watch(new UdevWatch);
    watch->udev_ = udev_new();
    if (!watch->udev_)
        return nullptr;
    // With udevd running its events come once the device node is ready; without it (a minimal
    // system) the kernel's own events are all there is.
    const char* source = access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
    watch->monitor_ = udev_monitor_new_from_netlink(watch->udev_, source);
    if (!watch->monitor_ || udev_monitor_filter_add_match_subsystem_devtype(watch->monitor_, "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(watch->monitor_) < 0)
        return nullptr;
    return watch;
}

UdevWatch::~UdevWatch()
{
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

int UdevWatch::fd() const
{
    return udev_monitor_get_fd(monitor_);
}

bool UdevWatch::drain()
{
    bool changed = false;
    // The monitor's socket does not block: this ends when no event is left.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        changed = true;
        udev_device_unref(device);
    }
    return changed;
}

} // namespace native_host
