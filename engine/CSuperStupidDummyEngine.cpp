#include "CSuperStupidDummyEngine.h"

#include <exception>

#include <pthread.h>

#include <boost/bind/bind.hpp>
#include <boost/thread/thread.hpp>
#include <logging>   // the logging facility: silent until a sink and a level mask are installed

#include "response/ResponseRepository.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

using response::ResponseRepository;

CSuperStupidDummyEngine::CSuperStupidDummyEngine() : running(true), workerStopped(false)
{
    boost::thread worker(boost::bind(&CSuperStupidDummyEngine::run, this));
    worker.detach();
}

CSuperStupidDummyEngine::~CSuperStupidDummyEngine()
{
    {
        std::unique_lock<std::mutex> hold(queueMutex);
        running = false;
        queueCondition.notify_all();
        while (!workerStopped)
            queueCondition.wait(hold);
    }
    for (IRemote* remote : queue)
        remote->release();
    queue.clear();
}

void CSuperStupidDummyEngine::run()
{
    // Named so that a look at the process's threads (top -H, /proc) tells the worker apart.
    pthread_setname_np(pthread_self(), WORKER_THREAD_NAME);
    while (running) {
        std::unique_lock<std::mutex> hold(queueMutex);
        if (queue.empty()) {
            // The destructor clears `running` under this lock: looking again here means its
            // signal cannot fall between the loop's test and this wait.
            if (running)
                queueCondition.wait(hold);
            continue;
        }
        IRemote* remote = queue.front();
        queue.pop_front();
        hold.unlock();
        remote->executeCommand();
        remote->release();
    }
    std::unique_lock<std::mutex> hold(queueMutex);
    workerStopped = true;
    queueCondition.notify_all();
}

std::string CSuperStupidDummyEngine::getDevicesInfo()
{
    remoteManager.updateRemotes();
    const std::list<IRemote*> remotes = remoteManager.getRemotes();
    std::string list;
    for (IRemote* remote : remotes) {
        if (remote->isConnected())
            list += remote->getInfoString() + IRemote::SEPARATOR_DEVICE;
    }
    return list;
}

void CSuperStupidDummyEngine::addHidlet(long vendorId, long productId) { remoteManager.addHidlet(vendorId, productId); }

int CSuperStupidDummyEngine::execute(std::string deviceId, const char* request, int responsePackets, char*& response,
                                     const char* endPacket, long timeout)
{
    IRemote* remote = remoteManager.getRemote(deviceId);
    if (!remote) {
        ResponseRepository::createDynamicErrorMessage(response, ResponseRepository::KVE_REMOTE_NOT_FOUND, "in KVE::execute");
        return ResponseRepository::KVE_REMOTE_NOT_FOUND;
    }
    // A command that exists already was handed to the worker when it was created: a poll that
    // still finds it waiting (-2 again) does not queue the remote a second time, which would only
    // wake the worker for nothing.
    const bool startsCommand = !remote->isBusy();
    const int rc = remote->queueCommand(request, responsePackets, response, timeout, endPacket);
    if (rc == ResponseRepository::NEW && startsCommand) {
        {
            std::unique_lock<std::mutex> hold(queueMutex);
            remote->retain();
            queue.push_back(remote);
        }
        queueCondition.notify_one();
    }
    return rc;
}

int CSuperStupidDummyEngine::cancel(std::string deviceId, char*& response)
{
    IRemote* remote = remoteManager.getRemote(deviceId);
    const int rc = remote ? remote->cancelExecutingCommand() : ResponseRepository::KVE_REMOTE_NOT_FOUND;
    ResponseRepository::createDynamicErrorMessage(response, rc, "in KVE::cancel");
    return rc;
}

int CSuperStupidDummyEngine::cleanupRemote(std::string deviceId, char*& response)
{
    int rc = ResponseRepository::SUCCESS;
    try {
        remoteManager.cleanupRemote(deviceId);
        remoteManager.updateRemotes();
    } catch (const std::exception&) {
        rc = ResponseRepository::KVE_CANNOT_CLEANUP_REMOTE;
    }
    ResponseRepository::createDynamicErrorMessage(response, rc, "in KVE::cleanupRemote");
    return rc;
}

int CSuperStupidDummyEngine::cleanupAll()
{
    try {
        remoteManager.cleanupAll();
    } catch (const std::exception&) {
        return ResponseRepository::KVE_CANNOT_CLEANUP_REMOTE;
    }
    return ResponseRepository::SUCCESS;
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
