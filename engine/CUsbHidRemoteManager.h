// Keeps the engine's list of remotes in step with the devices the USB library lists.
#ifndef QUORVEX_KVE_CUSBHIDREMOTEMANAGER_H
#define QUORVEX_KVE_CUSBHIDREMOTEMANAGER_H

#include <mutex>

#include "IRemoteManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class CUsbHidRemoteManager : public IRemoteManager
{
public:
    // Registers a supported device type with the USB library.
    void addHidlet(long vendorId, long productId) override;
    // New candidate tokens become connected remotes; a remote whose token vanished is dropped
    // when idle and marked disconnected (and kept) while busy. A disconnected remote never comes
    // back by itself.
    void updateRemotes(std::list<IRemote*>& remotes) override;
    ~CUsbHidRemoteManager() override {}

    static IRemote* getRemoteByTokenId(std::list<IRemote*>& remotes, long tokenId);

private:
    std::mutex updateMutex;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
