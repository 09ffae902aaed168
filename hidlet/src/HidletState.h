// The process-wide state of libHidlet: the one device manager and the two token maps.
#ifndef QUORVEX_HIDLET_HIDLETSTATE_H
#define QUORVEX_HIDLET_HIDLETSTATE_H

#include <map>

#include <boost/shared_ptr.hpp>
#include <boost/thread/mutex.hpp>

#include "hidlet/AHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

struct HidletState
{
    // Guards everything here and AHidlet::s_SupportedUSBType. Transfers and opening or closing a
    // pipe run outside it, on a reference to the pipe taken under it.
    boost::mutex lock;
    AHidletManager* g_pManager = nullptr;
    std::map<long, boost::shared_ptr<AHidlet> > g_UsedHidlets;   // attached devices
    std::map<long, boost::shared_ptr<AIoPipe> > g_UsedIoPipes;   // attached pipes
};

// The state is created on first use and never destroyed: the engine's worker thread may still
// be inside the library while the process exits.
HidletState& hidletState();

// The manager for this process: the simulator when HIDLET_SIM is set, else the platform's.
AHidletManager* createHidletManager();

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
