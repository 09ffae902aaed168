#include "CUsbHidRemoteManager.h"

#include <set>
#include <vector>

#include "CUsbHidRemote.h"
#include "hidlet/Hidlets.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

namespace usb = hidlet;

void CUsbHidRemoteManager::addHidlet(long vendorId, long productId) { usb::AddHidlet(vendorId, productId); }

IRemote* CUsbHidRemoteManager::getRemoteByTokenId(std::list<IRemote*>& remotes, long tokenId)
{
    for (IRemote* remote : remotes) {
        if (remote->getTokenId() == tokenId)
            return remote;
    }
    return nullptr;
}

void CUsbHidRemoteManager::updateRemotes(std::list<IRemote*>& remotes)
{
    std::lock_guard<std::mutex> hold(updateMutex);
    long* tokens = nullptr;
    int count = 0;
    usb::GetCandidateHidletTokens(&tokens, &count);
    const std::vector<long> listed(tokens, tokens + (tokens ? count : 0));
    delete[] tokens;

    for (long token : listed) {
        if (getRemoteByTokenId(remotes, token))
            continue;   // known: left as it is, its connected flag too
        CUsbHidRemote* remote = new CUsbHidRemote(token);
        remote->setConnected(true);
        remotes.push_back(remote);
    }

    const std::set<long> candidates(listed.begin(), listed.end());
    std::vector<IRemote*> vanished;
    for (IRemote* remote : remotes) {
        if (remote->getType() == CUsbHidRemote::TYPE_HID && !candidates.count(remote->getTokenId()))
            vanished.push_back(remote);
    }
    for (IRemote* remote : vanished) {
        if (remote->isBusy()) {
            remote->setConnected(false);   // its command still runs or waits for the worker
            continue;
        }
        remotes.remove(remote);
        remote->release();
    }
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
