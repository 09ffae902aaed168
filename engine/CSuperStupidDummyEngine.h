// The engine: the registry of remotes, answers to the page's requests on the caller thread, and
// one worker thread that runs the device commands, one remote at a time.
#ifndef QUORVEX_KVE_CSUPERSTUPIDDUMMYENGINE_H
#define QUORVEX_KVE_CSUPERSTUPIDDUMMYENGINE_H

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "CRemoteManager.h"
#include "ISuperSimpleDummyEngine.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class CSuperStupidDummyEngine : public ISuperSimpleDummyEngine
{
public:
    // The worker thread's name (at most 15 characters).
    static constexpr const char* WORKER_THREAD_NAME = "kve-worker";

    // Creates the registry and starts the worker, detached.
    CSuperStupidDummyEngine();
    // Stops the worker (waiting for the command it runs) and destroys the registry.
    ~CSuperStupidDummyEngine() override;

    std::string getDevicesInfo() override;
    void addHidlet(long vendorId, long productId) override;
    int execute(std::string deviceId, const char* request, int responsePackets, char*& response,
                const char* endPacket, long timeout) override;
    int cancel(std::string deviceId, char*& response) override;
    int cleanupRemote(std::string deviceId, char*& response) override;
    int cleanupAll() override;

    // The worker's loop: takes one queued remote at a time and runs its command without
    // holding the queue's lock.
    void run();

private:
    std::atomic<bool> running;
    CRemoteManager remoteManager;
    std::deque<IRemote*> queue;            // each entry holds a reference to its remote
    // A plain mutex and condition: handing a command to the sleeping worker costs one wake-up,
    // without the second, inner lock that a condition for any lock type takes.
    std::mutex queueMutex;
    std::condition_variable queueCondition;
    bool workerStopped;                    // under queueMutex
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
