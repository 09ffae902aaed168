// A descriptor that becomes readable when the remotes present may have changed: the kernel's
// hidraw device events through udev, or, for simulated remotes described in a file, a change of
// that file. It stays silent otherwise, so a host with no command running sleeps.
#ifndef NATIVE_HOST_DEVICEWATCH_H
#define NATIVE_HOST_DEVICEWATCH_H

#include <memory>
#include <string>

namespace native_host {

class DeviceWatch {
public:
    virtual ~DeviceWatch() = default;
    virtual int fd() const = 0;
    // Reads what is pending; true when it may have changed the remotes present.
    virtual bool drain() = 0;
};

// The watch for this process's remotes: HIDLET_SIM="@file" watches the file, another HIDLET_SIM
// value nothing (its remotes never change), no HIDLET_SIM the kernel's hidraw devices. Null when
// there is nothing to watch or the watch cannot be set up (said on standard error).
std::unique_ptr<DeviceWatch> watchRemotes();

} // namespace native_host

#endif
