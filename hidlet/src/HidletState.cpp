#include "HidletState.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

HidletState& hidletState()
{
    static HidletState* state = new HidletState;
    return *state;
}

namespace {

// Library load: create the one manager. Unload: delete it; devices and pipes still attached live
// on in the token maps.
__attribute__((constructor)) void initializer()
{
    HidletState& state = hidletState();
    boost::mutex::scoped_lock hold(state.lock);
    state.g_pManager = createHidletManager();
}

__attribute__((destructor)) void finalizer()
{
    HidletState& state = hidletState();
    boost::mutex::scoped_lock hold(state.lock);
    delete state.g_pManager;
    state.g_pManager = nullptr;
}

} // namespace

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
