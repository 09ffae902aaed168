#include "DeviceWatch.h"

#include <cstdlib>
#include <iostream>

#include "FileWatch.h"
#include "UdevWatch.h"

namespace native_host {

std::unique_ptr<DeviceWatch> watchRemotes()
{
    const char* simulated = std::getenv("HIDLET_SIM");
    if (simulated && *simulated) {
        if (simulated[0] != '@')
            return nullptr;
        std::unique_ptr<DeviceWatch> watch = FileWatch::open(simulated + 1);
        if (!watch)
            std::cerr << "remote-bridge-host: cannot watch " << (simulated + 1) << "; no device events" << std::endl;
        return watch;
    }
    std::unique_ptr<DeviceWatch> watch = UdevWatch::open();
    if (!watch)
        std::cerr << "remote-bridge-host: no udev monitor; no device events" << std::endl;
    return watch;
}

} // namespace native_host
