#include "CUsbHidRemote.h"

#include <memory>
#include <sstream>
#include <vector>

#include "hidlet/Hidlets.h"
#include "response/ResponseRepository.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

using response::ResponseRepository;
namespace usb = hidlet;

namespace {

const long kReadTimeoutMs = 1000;   // each read waits up to one second

} // namespace

CUsbHidRemote::CUsbHidRemote(long token)
    : type(TYPE_HID),
      tokenId(token),
      connected(false),
      productId(0),
      vendorId(0),
      bcdVersionNumber(0),
      inputReportLength(0),
      outputReportLength(0),
      command(nullptr),
      deviceAttached(true)
{
    usb::AttachDevice(tokenId);
    createChannels();
    vendorId = usb::GetVendorId(tokenId);
    productId = usb::GetProductId(tokenId);
    bcdVersionNumber = usb::GetVersionNumber(tokenId);
    devicePath = usb::GetHidletPath(tokenId);
    inputReportLength = usb::GetInputPacketSize(getIoToken());
    outputReportLength = usb::GetOutputPacketSize(getIoToken());
}

CUsbHidRemote::~CUsbHidRemote()
{
    delete command;
    {
        std::lock_guard<std::mutex> hold(channelMutex);
        channels.clear();
    }
    // A remote that was never cleaned up still holds its device in the USB library.
    if (deviceAttached)
        usb::DetachDevice(tokenId);
}

void CUsbHidRemote::createChannels()
{
    long* pipes = nullptr;
    int count = 0;
    usb::GetCandidateIoPipeTokens(tokenId, &pipes, &count);
    std::list<boost::shared_ptr<CUsbHidChannel> > opened;
    for (int i = 0; pipes && i < count; ++i) {
        boost::shared_ptr<CUsbHidChannel> channel(new CUsbHidChannel(pipes[i], tokenId));
        if (channel->isOpen())
            opened.push_back(channel);
    }
    delete[] pipes;
    std::lock_guard<std::mutex> hold(channelMutex);
    channels.splice(channels.end(), opened);
}

void CUsbHidRemote::clearChannels()
{
    std::list<boost::shared_ptr<CUsbHidChannel> > dropped;
    {
        std::lock_guard<std::mutex> hold(channelMutex);
        dropped.swap(channels);
    }
    // Closing makes a transfer in progress fail; a channel the worker still holds is detached
    // when the worker lets go of it.
    for (const boost::shared_ptr<CUsbHidChannel>& channel : dropped)
        channel->close();
}

void CUsbHidRemote::updateChannels()
{
    clearChannels();
    createChannels();
}

boost::shared_ptr<CUsbHidChannel> CUsbHidRemote::getChannel()
{
    std::lock_guard<std::mutex> hold(channelMutex);
    return channels.empty() ? boost::shared_ptr<CUsbHidChannel>() : channels.front();
}

long CUsbHidRemote::getIoToken()
{
    const boost::shared_ptr<CUsbHidChannel> channel = getChannel();
    return channel ? channel->getToken() : 0;
}

int CUsbHidRemote::write(unsigned char* data)
{
    const boost::shared_ptr<CUsbHidChannel> channel = getChannel();
    if (!channel)
        return ResponseRepository::KVE_CHANNEL_NOT_FOUND;
    const int rc = channel->write(data, getOutputReportLength());
    return rc != ResponseRepository::SUCCESS && channel->deviceGone() ? ResponseRepository::FATAL_ERROR : rc;
}

int CUsbHidRemote::read(unsigned char* buffer, long timeout)
{
    const boost::shared_ptr<CUsbHidChannel> channel = getChannel();
    if (!channel)
        return ResponseRepository::KVE_CHANNEL_NOT_FOUND;
    // A read on a pipe whose device is gone fails at once: that is the end of the remote, not a
    // time-out to wait out again.
    const int rc = channel->read(buffer, getInputReportLength(), timeout);
    return rc != ResponseRepository::SUCCESS && channel->deviceGone() ? ResponseRepository::FATAL_ERROR : rc;
}

std::string CUsbHidRemote::getInfoString()
{
    std::ostringstream record;
    const auto attribute = [&record](const std::string& key, const auto& value, bool last) {
        record << key << SEPARATOR_KEY_VALUE << value;
        if (!last)
            record << SEPARATOR_ATTRIBUTE;
    };
    attribute(KEY_DEVICE_ID, devicePath, false);
    attribute(KEY_TOKEN, tokenId, false);
    attribute(KEY_VENDOR_ID, vendorId, false);
    attribute(KEY_PRODUCT_ID, productId, false);
    attribute(KEY_INPUT_REPORT_LENGTH, inputReportLength, false);
    attribute(KEY_OUTPUT_REPORT_LENGTH, outputReportLength, false);
    attribute(KEY_BCD_VERSION_NUMBER, bcdVersionNumber, true);
    return record.str();
}

int CUsbHidRemote::queueCommand(const char*& request, int responsePackets, char*& response, long timeout,
                                const char*& endPacket)
{
    // Only the caller thread creates and discards the command, so it reads the slot without the
    // lock; the lock is taken only to change the slot, which the worker reads when it starts the
    // command. A poll thus never holds a lock the worker may be waiting for.
    UsbCommand* current = command;
    if (!current) {
        current = new UsbCommand(request, responsePackets, getInputReportLength(), getOutputReportLength(), endPacket);
        current->setTimeout(timeout);
        std::lock_guard<std::mutex> hold(commandMutex);
        command = current;
    }
    const int rc = current->generateResponse(response);
    if (rc < 0)
        return rc;
    {
        std::lock_guard<std::mutex> hold(commandMutex);
        command = nullptr;
    }
    delete current;
    return rc;
}

int CUsbHidRemote::executeCommand()
{
    UsbCommand* running = nullptr;
    {
        std::lock_guard<std::mutex> hold(commandMutex);
        if (!command)
            return ResponseRepository::KVE_COMMAND_NOT_FOUND;
        if (command->getResult() != ResponseRepository::NEW)
            return ResponseRepository::KVE_COMMAND_STATE_ERROR;
        command->setResult(ResponseRepository::IN_PROGRESS);
        running = command;
    }
    // The caller thread keeps the command while its result is negative, so it stays valid
    // until the final result below, which is the last access to it.
    int code = ResponseRepository::KVE_GENERAL_ERROR;
    try {
        code = runCommand(*running);
    } catch (int thrown) {
        code = thrown;
    } catch (...) {
        code = ResponseRepository::KVE_GENERAL_ERROR;
    }
    return finish(*running, code);
}

int CUsbHidRemote::finish(UsbCommand& cmd, int code)
{
    if (code < 0) {
        cmd.setErrorText("Worker finished processing but the result got messed up!");
        code = ResponseRepository::FATAL_ERROR;
    }
    cmd.setResult(code);
    return code;
}

int CUsbHidRemote::runCommand(UsbCommand& cmd)
{
    // Without a channel nothing is sent or read: success would claim a transfer that never was.
    const boost::shared_ptr<CUsbHidChannel> channel = getChannel();
    if (!channel)
        return ResponseRepository::KVE_CHANNEL_NOT_FOUND;
    // Reports still queued from an answer nobody waits for any more (a cancelled or timed-out
    // command) would open this command's answer. A command that sends nothing keeps them: it may
    // collect the answer to the reports an earlier command sent.
    if (!cmd.getSendingPackets().empty())
        channel->discardInput();

    for (unsigned char* packet : cmd.getSendingPackets()) {
        const int rc = write(packet);
        if (rc != ResponseRepository::SUCCESS)
            return rc;
    }
    const long budget = cmd.getTimeout() / 1000;
    if (cmd.getResponseNumberOfPackets() == 0)
        return ResponseRepository::SUCCESS;

    long retries = 0;
    bool more = true;
    const size_t size = static_cast<size_t>(cmd.getInputPacketSize() > 0 ? cmd.getInputPacketSize() : 0);
    do {
        if (!connected.load())
            return ResponseRepository::FATAL_ERROR;
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[size]());
        const int rc = read(buffer.get(), kReadTimeoutMs);
        if (rc == ResponseRepository::SUCCESS) {
            unsigned char* packet = buffer.release();
            more = cmd.addReceivingPacket(packet);
        } else if (rc == ResponseRepository::USBLIB_READ_TIMEOUT && retries < budget) {
            ++retries;
        } else {
            return rc;
        }
    } while (more && !cmd.isCanceled());
    return cmd.isCanceled() ? ResponseRepository::CANCEL : ResponseRepository::SUCCESS;
}

int CUsbHidRemote::cancelExecutingCommand()
{
    std::lock_guard<std::mutex> hold(commandMutex);
    if (command)
        command->cancel();
    return ResponseRepository::SUCCESS;
}

bool CUsbHidRemote::isBusy()
{
    std::lock_guard<std::mutex> hold(commandMutex);
    return command && command->getResult() < 0;
}

void CUsbHidRemote::cleanup()
{
    cancelExecutingCommand();
    clearChannels();
    usb::DetachDevice(tokenId);
    deviceAttached = false;
}

int CUsbHidRemote::parseSkinId(long value)
{
    if ((value & 0xF000) == 0)
        return static_cast<int>(value & 0xFF);
    const long hundreds = (value >> 8) & 0xF;
    const long tens = (value >> 4) & 0xF;
    const long units = value & 0xF;
    return static_cast<int>(hundreds * 100 + tens * 10 + units);
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
