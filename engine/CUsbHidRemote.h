// A universal remote attached over USB HID. It talks to the device through its first open
// channel and runs one command at a time.
//
// Threads: the caller thread creates, lists, queues, cancels and cleans up; the worker runs
// executeCommand. The command slot and the channel list each have a small lock that is never
// held during a transfer; the connected flag is atomic.
#ifndef QUORVEX_KVE_CUSBHIDREMOTE_H
#define QUORVEX_KVE_CUSBHIDREMOTE_H

#include <atomic>
#include <list>
#include <mutex>
#include <string>

#include <boost/shared_ptr.hpp>

#include "CUsbHidChannel.h"
#include "IRemote.h"
#include "UsbCommand.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class CUsbHidRemote : public IRemote
{
public:
    static const int TYPE_HID = 1;

    // Attaches the device, opens its channels and reads its identity.
    explicit CUsbHidRemote(long tokenId);
    ~CUsbHidRemote() override;

    long getTokenId() override { return tokenId; }
    const char* getDevicePath() override { return devicePath.c_str(); }
    long getVendorId() override { return vendorId; }
    long getProductId() override { return productId; }
    int getOutputReportLength() override { return static_cast<int>(outputReportLength); }
    int getInputReportLength() override { return static_cast<int>(inputReportLength); }
    long getBcdVersionNumber() override { return bcdVersionNumber; }

    int getType() override { return type; }
    bool isConnected() override { return connected.load(); }
    void setConnected(bool value) override { connected.store(value); }
    std::string getInfoString() override;
    int queueCommand(const char*& request, int responsePackets, char*& response, long timeout,
                     const char*& endPacket) override;
    int executeCommand() override;
    int cancelExecutingCommand() override;
    bool isBusy() override;
    void cleanup() override;

    void createChannels();
    void clearChannels();
    void updateChannels();
    // The first channel, kept alive for the holder even if cleanup drops it meanwhile.
    boost::shared_ptr<CUsbHidChannel> getChannel();
    long getIoToken();
    // One report through the first channel: 202 without a channel, 400 when it failed because
    // the device went away, else the USB library's code.
    int write(unsigned char* data);
    int read(unsigned char* buffer, long timeout);

    // Publishes the command's final code as the last access to it. A negative code means the run
    // lost track of its result: it becomes 400 with a detail saying so.
    static int finish(UsbCommand& command, int code);

    // A version word of the remote's skin: bits 12-15 zero: the low byte; otherwise the three
    // low nibbles read as decimal digits.
    static int parseSkinId(long value);

private:
    // The command's exchange: writes, then reads within the time-out budget. Ends by returning
    // or throwing its code.
    int runCommand(UsbCommand& command);

    const int type;
    const long tokenId;
    std::atomic<bool> connected;
    long productId;
    long vendorId;
    long bcdVersionNumber;
    std::string devicePath;
    long inputReportLength;
    long outputReportLength;

    // Guards changes of the command slot (caller thread) against its reading on the worker; not
    // held during the command's run, nor by a poll, which only reads the slot on its own thread.
    std::mutex commandMutex;
    UsbCommand* command;
    std::mutex channelMutex;           // guards the list, not the channels' use
    std::list<boost::shared_ptr<CUsbHidChannel> > channels;
    bool deviceAttached;               // until cleanup() detaches the device
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
