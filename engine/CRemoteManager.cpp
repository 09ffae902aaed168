#include "CRemoteManager.h"

#include "CUsbHidRemoteManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

CRemoteManager::CRemoteManager() { managers.push_back(new CUsbHidRemoteManager); }

CRemoteManager::~CRemoteManager()
{
    for (IRemoteManager* manager : managers)
        delete manager;
    managers.clear();
    for (IRemote* remote : remotes)
        remote->release();
    remotes.clear();
}

void CRemoteManager::updateRemotes()
{
    for (IRemoteManager* manager : managers)
        manager->updateRemotes(remotes);
}

IRemote* CRemoteManager::getRemote(std::string deviceId)
{
    for (IRemote* remote : remotes) {
        if (remote->isConnected() && deviceId == remote->getDevicePath())
            return remote;
    }
    return nullptr;
}

void CRemoteManager::addHidlet(long vendorId, long productId)
{
    for (IRemoteManager* manager : managers)
        manager->addHidlet(vendorId, productId);
}

void CRemoteManager::cleanupRemote(std::string deviceId)
{
    for (IRemote* remote : remotes) {
        if (deviceId != remote->getDevicePath())
            continue;
        remote->cleanup();
        remotes.remove(remote);
        remote->release();
        return;
    }
}

void CRemoteManager::cleanupAll()
{
    for (IRemote* remote : remotes)
        remote->cleanup();
    std::list<IRemote*> dropped;
    dropped.swap(remotes);
    for (IRemote* remote : dropped)
        remote->release();
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
