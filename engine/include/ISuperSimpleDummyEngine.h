// The device engine as the browser plug-in sees it.
//
// The plug-in reaches the engine only through these virtual operations, by their position in
// the virtual table, so their order is part of the binary interface: destructor, then
// getDevicesInfo, addHidlet, execute, cancel, cleanupRemote, cleanupAll. Do not reorder.
//
// Every char*& out-parameter receives an array allocated with new char[] and NUL-terminated;
// the caller owns it and releases it with delete[].
#ifndef QUORVEX_KVE_ISUPERSIMPLEDUMMYENGINE_H
#define QUORVEX_KVE_ISUPERSIMPLEDUMMYENGINE_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class ISuperSimpleDummyEngine
{
public:
    virtual ~ISuperSimpleDummyEngine() {}

    // The connected remotes as a device list: records each followed by "||".
    virtual std::string getDevicesInfo() = 0;

    // Registers a supported device type (USB vendor and product id).
    virtual void addHidlet(long vendorId, long productId) = 0;

    // Starts a command on the remote with the given device path, or reports on the one that
    // runs: -2 when created, -1 while in progress, then the final code once.
    virtual int execute(std::string deviceId, const char* request, int responsePackets,
                        char*& response, const char* endPacket, long timeout) = 0;

    // Marks the remote's current command as cancelled.
    virtual int cancel(std::string deviceId, char*& response) = 0;

    // Releases one remote; a remote still plugged in comes back with fresh channels.
    virtual int cleanupRemote(std::string deviceId, char*& response) = 0;

    // Releases every remote.
    virtual int cleanupAll() = 0;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
