// The registry of remotes: the remote managers (one per kind of connection) and the remotes
// they found, in the order they were appended. Used on the caller thread only.
#ifndef QUORVEX_KVE_CREMOTEMANAGER_H
#define QUORVEX_KVE_CREMOTEMANAGER_H

#include <list>
#include <string>

#include "IRemoteManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class CRemoteManager
{
public:
    CRemoteManager();
    virtual ~CRemoteManager();

    std::list<IRemote*>& getRemotes() { return remotes; }
    void updateRemotes();
    // The first connected remote with that device path (exact match), else null.
    IRemote* getRemote(std::string deviceId);
    void addHidlet(long vendorId, long productId);
    // Cleans up the first remote with that device path, connected or not, and drops it from the
    // registry; it is destroyed once nothing else holds it.
    void cleanupRemote(std::string deviceId);
    void cleanupAll();

private:
    CRemoteManager(const CRemoteManager&);
    CRemoteManager& operator=(const CRemoteManager&);

    std::list<IRemoteManager*> managers;
    std::list<IRemote*> remotes;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
