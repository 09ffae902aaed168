#include <cstdlib>

#include "HidletState.h"
#include "linux/CLinuxHidletManager.h"
#include "sim/CSimHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

AHidletManager* createHidletManager()
{
    const char* simulated = std::getenv("HIDLET_SIM");
    if (simulated && *simulated)
        return new sim::CSimHidletManager(simulated);
    return new CLinuxHidletManager(LinuxRoots::fromEnvironment());
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
