// A source of remotes: one per kind of connection.
#ifndef QUORVEX_KVE_IREMOTEMANAGER_H
#define QUORVEX_KVE_IREMOTEMANAGER_H

#include <list>

#include "IRemote.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class IRemoteManager
{
public:
    virtual void addHidlet(long vendorId, long productId) = 0;
    // Brings the list in step with the devices present: appends new remotes, drops vanished
    // ones (a busy one is only marked disconnected and kept).
    virtual void updateRemotes(std::list<IRemote*>& remotes) = 0;
    virtual ~IRemoteManager() {}
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
