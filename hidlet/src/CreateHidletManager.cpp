#include <cstdlib>

#include "CNullHidletManager.h"
#include "HidletState.h"
#include "sim/CSimHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

AHidletManager* createHidletManager()
{
    const char* simulated = std::getenv("HIDLET_SIM");
    if (simulated && *simulated)
        return new sim::CSimHidletManager(simulated);
    return new CNullHidletManager;
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
