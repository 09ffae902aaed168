// A remote as the engine sees it: attributes, a connected flag, at most one command at a time,
// and the operations that run that command.
//
// Lifetime: a remote is shared by the registry (one reference) and the worker's queue (one
// reference per entry); it is destroyed when the last one is released, so a remote taken out of
// the registry while the worker still holds it is reclaimed once the worker is done with it.
#ifndef QUORVEX_KVE_IREMOTE_H
#define QUORVEX_KVE_IREMOTE_H

#include <atomic>
#include <string>

#include "IRemoteAttributes.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class IRemote : public IRemoteAttributes
{
public:
    virtual ~IRemote() {}
    virtual int getType() = 0;
    virtual bool isConnected() = 0;
    virtual void setConnected(bool connected) = 0;
    // One device record: key=value pairs separated by ";;".
    virtual std::string getInfoString() = 0;
    // Creates the command if there is none, else reports on it; response always receives the
    // command's answer (new[]). A final answer discards the command.
    virtual int queueCommand(const char*& request, int responsePackets, char*& response, long timeout,
                             const char*& endPacket) = 0;
    // Runs the command on the worker thread; returns its final code (203/204 when there is no
    // command to run, which leaves the command untouched).
    virtual int executeCommand() = 0;
    virtual int cancelExecutingCommand() = 0;
    // True while a command waits for the worker or runs.
    virtual bool isBusy() = 0;
    // Cancels the command, closes the channels and detaches the device from the USB library.
    virtual void cleanup() = 0;

    static const std::string KEY_DEVICE_ID;
    static const std::string KEY_TOKEN;
    static const std::string KEY_VENDOR_ID;
    static const std::string KEY_PRODUCT_ID;
    static const std::string KEY_SKIN;
    static const std::string KEY_INPUT_REPORT_LENGTH;
    static const std::string KEY_OUTPUT_REPORT_LENGTH;
    static const std::string KEY_BCD_VERSION_NUMBER;
    static const std::string SEPARATOR_DEVICE;
    static const std::string SEPARATOR_ATTRIBUTE;
    static const std::string SEPARATOR_KEY_VALUE;

    void retain() { m_holders.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference; the last one destroys the remote.
    void release()
    {
        if (m_holders.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

protected:
    IRemote() : m_holders(1) {}

private:
    std::atomic<int> m_holders;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
