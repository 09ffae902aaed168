// The token API over the process-wide state. Lookups and changes of the manager, the maps and
// the type list happen under the library's lock; transfers, opening and closing run outside it
// on a reference to the pipe, so a read that waits for its device never blocks another thread's
// listing, attaching or detaching, and the pipe stays alive until the transfer returns.
#include "hidlet/Hidlets.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include <logging>

#include "HidletState.h"
#include "TokenConversion.h"
#include "response/ResponseRepository.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

using common::exception::LogicException;
using response::ResponseRepository;

namespace {

typedef boost::mutex::scoped_lock Hold;

boost::shared_ptr<AHidlet> attachedDevice(HidletState& state, long token)
{
    std::map<long, boost::shared_ptr<AHidlet> >::iterator it = state.g_UsedHidlets.find(token);
    return it == state.g_UsedHidlets.end() ? boost::shared_ptr<AHidlet>() : it->second;
}

boost::shared_ptr<AIoPipe> attachedPipe(long token)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    std::map<long, boost::shared_ptr<AIoPipe> >::iterator it = state.g_UsedIoPipes.find(token);
    return it == state.g_UsedIoPipes.end() ? boost::shared_ptr<AIoPipe>() : it->second;
}

template <typename Result, typename Getter>
Result fromDevice(long token, Result absent, Getter get)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    boost::shared_ptr<AHidlet> device = attachedDevice(state, token);
    return device ? get(*device) : absent;
}

// A question to an attached pipe, asked outside the library's lock; any exception from the pipe
// gives the same answer as a pipe that is not attached.
template <typename Result, typename Question>
Result onPipe(long token, Result absent, Question ask)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(token);
    if (!pipe)
        return absent;
    try {
        return ask(*pipe);
    } catch (...) {
        return absent;
    }
}

template <typename T>
T* newArray(const std::vector<T>& values)
{
    T* array = new T[values.size()];
    std::copy(values.begin(), values.end(), array);
    return array;
}

// The one log call of the library: a write that failed with an exception. The logger stays
// silent unless a sink and a mask are installed.
void logUnexpectedWriteError(unsigned int line)
{
    boost::shared_ptr<boost::logging::logger> logger = boost::logging::logger::get_instance();
    const unsigned short level = 2;
    if ((logger->get_mask() & level) == 0)
        return;
    std::ostringstream message;
    message << "ERROR(" << ResponseRepository::USBLIB_WRITE_ERROR_UNKNOWN
            << "): " << ResponseRepository::getErrorText(ResponseRepository::USBLIB_WRITE_ERROR_UNKNOWN);
    boost::logging::log_param_t entry = {level, &boost::logging::log, message.str(), __FILE__, line,
                                         "Write", __FILE__, nullptr};
    logger->trace(entry);
}

} // namespace

void AddHidlet(long vendorId, long productId)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    AHidlet::s_SupportedUSBType.push_back(boost::shared_ptr<UsbType>(
        new UsbType(static_cast<std::int32_t>(vendorId), static_cast<std::int32_t>(productId))));
}

void ClearHidlets()
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    AHidlet::s_SupportedUSBType.clear();
}

void GetCandidateHidletTokens(long** tokens, int* count)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    std::vector<boost::shared_ptr<AHidlet> > devices;
    if (state.g_pManager) {
        state.g_pManager->updateHidlets();
        state.g_pManager->getHidlets(devices);
    }
    if (count)
        *count = static_cast<int>(devices.size());
    if (devices.empty() || !tokens)
        return;
    std::vector<long> values;
    for (const boost::shared_ptr<AHidlet>& device : devices)
        values.push_back(GetIntFromHidlet(device.get()));
    *tokens = newArray(values);
}

void AttachDevice(long deviceToken)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    AHidlet* object = GetHidletFromInt(deviceToken);
    if (!object || !state.g_pManager)
        return;
    boost::shared_ptr<AHidlet> device = state.g_pManager->getHidlet(object);
    if (device)
        state.g_UsedHidlets.insert(std::make_pair(deviceToken, device));
}

void DetachDevice(long deviceToken)
{
    HidletState& state = hidletState();
    boost::shared_ptr<AHidlet> released;   // destroyed after the lock is given back
    {
        Hold hold(state.lock);
        AHidlet* object = GetHidletFromInt(deviceToken);
        if (!object)
            return;
        if (state.g_pManager)
            state.g_pManager->removeHidlet(object);
        released = attachedDevice(state, deviceToken);
        state.g_UsedHidlets.erase(deviceToken);
    }
}

long GetVendorId(long deviceToken)
{
    return fromDevice(deviceToken, 0L, [](AHidlet& d) { return d.getVendorID(); });
}

long GetProductId(long deviceToken)
{
    return fromDevice(deviceToken, 0L, [](AHidlet& d) { return d.getProductID(); });
}

long GetVersionNumber(long deviceToken)
{
    return fromDevice(deviceToken, 0L, [](AHidlet& d) { return d.getVersionNumber(); });
}

std::string GetHidletPath(long deviceToken)
{
    return fromDevice(deviceToken, std::string(), [](AHidlet& d) { return d.getDevicePath(); });
}

void GetCandidateIoPipeTokens(long deviceToken, long** tokens, int* count)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    boost::shared_ptr<AHidlet> device = attachedDevice(state, deviceToken);
    if (!device)
        return;
    std::vector<boost::shared_ptr<AIoPipe> > pipes;
    device->getIoPipes(pipes);
    std::vector<long> values;
    for (const boost::shared_ptr<AIoPipe>& pipe : pipes)
        values.push_back(GetIntFromIoPipe(pipe.get()));
    if (count)
        *count = static_cast<int>(values.size());
    if (tokens)
        *tokens = newArray(values);
}

void AttachChannel(long deviceToken, long pipeToken)
{
    HidletState& state = hidletState();
    Hold hold(state.lock);
    boost::shared_ptr<AHidlet> device = attachedDevice(state, deviceToken);
    if (!device)
        return;
    AIoPipe* object = GetIoPipeFromInt(pipeToken);
    if (!object)
        return;
    boost::shared_ptr<AIoPipe> pipe = device->getIoPipe(object);
    if (pipe)
        state.g_UsedIoPipes.insert(std::make_pair(pipeToken, pipe));
}

void DetachChannel(long pipeToken)
{
    HidletState& state = hidletState();
    boost::shared_ptr<AIoPipe> released;   // destroyed after the lock is given back
    {
        Hold hold(state.lock);
        std::map<long, boost::shared_ptr<AIoPipe> >::iterator it = state.g_UsedIoPipes.find(pipeToken);
        if (it == state.g_UsedIoPipes.end())
            return;
        released = it->second;
        state.g_UsedIoPipes.erase(it);
    }
}

long GetInputPacketSize(long pipeToken)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    return pipe ? pipe->getInputReportSize() : 0;
}

long GetOutputPacketSize(long pipeToken)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    return pipe ? pipe->getOutputReportSize() : 0;
}

bool OpenChannel(long pipeToken)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        return false;
    try {
        return pipe->initialize();
    } catch (const std::exception&) {
        return false;
    }
}

void CloseChannel(long pipeToken)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        return;
    try {
        pipe->close();
    } catch (const std::exception&) {
    }
}

bool IsChannelOpen(long pipeToken)
{
    return onPipe(pipeToken, false, [](AIoPipe& p) { return p.isOpen(); });
}

long DiscardInput(long pipeToken)
{
    return onPipe(pipeToken, 0L, [](AIoPipe& p) { return p.discardInput(); });
}

long Read(long pipeToken)
{
    if (!attachedPipe(pipeToken))
        throw LogicException("CloseChannelException");
    return -1;
}

long Read(long pipeToken, unsigned char* buffer, long length, long timeout)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        return ResponseRepository::USBLIB_READ_IOPIPE_NOT_FOUND;
    try {
        const long size = std::max(pipe->getInputReportSize(), 0L);
        // The report goes straight into a buffer that can hold it; a shorter buffer receives
        // only its length of the report.
        const bool direct = buffer && length >= size;
        std::vector<unsigned char> scratch(direct ? 0 : size);
        unsigned char* target = direct ? buffer : scratch.data();
        if (!pipe->readPacket(target, timeout))
            return ResponseRepository::USBLIB_READ_TIMEOUT;
        if (!direct && buffer && length > 0)
            std::memcpy(buffer, scratch.data(), static_cast<size_t>(std::min(length, size)));
        return ResponseRepository::SUCCESS;
    } catch (...) {
        return ResponseRepository::USBLIB_READ_ERROR_UNKNOWN;
    }
}

long Read(long pipeToken, unsigned char* buffer, long length, long /*size*/, long timeout)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        throw LogicException("CloseChannelException");
    // One report is read whatever the caller's size says, so the scratch buffer holds exactly one.
    const long reportSize = std::max(pipe->getInputReportSize(), 0L);
    std::vector<unsigned char> scratch(static_cast<size_t>(reportSize));
    bool read = false;
    try {
        read = pipe->readPacket(scratch.data(), timeout);
    } catch (...) {
        read = false;
    }
    if (!read)
        throw LogicException("DataNotFound");
    if (buffer && length > 0)
        std::memcpy(buffer, scratch.data(), static_cast<size_t>(std::min(length, reportSize)));
    return reportSize;
}

long Write(long pipeToken, long)
{
    if (attachedPipe(pipeToken))
        throw LogicException("USB Channel cannot be written byte by byte");
    throw LogicException("CloseChannelException");
}

long Write(long pipeToken, unsigned char* data, long length)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        return ResponseRepository::USBLIB_WRITE_IOPIPE_NOT_FOUND;
    try {
        const long size = std::max(pipe->getOutputReportSize(), 0L);
        // A packet shorter than one output report is sent zero-padded instead of reading past
        // the caller's buffer.
        const bool direct = data && length >= size;
        std::vector<unsigned char> padded;
        if (!direct) {
            padded.assign(static_cast<size_t>(size), 0);
            if (data && length > 0)
                std::memcpy(padded.data(), data, static_cast<size_t>(length));
        }
        return pipe->writePacket(direct ? data : padded.data()) ? ResponseRepository::SUCCESS
                                                                 : ResponseRepository::USBLIB_WRITE_ERROR_IOPIPE;
    } catch (...) {
        logUnexpectedWriteError(__LINE__);
        return ResponseRepository::USBLIB_WRITE_ERROR_UNKNOWN;
    }
}

void Write(long pipeToken, unsigned char* data, long start, long length)
{
    boost::shared_ptr<AIoPipe> pipe = attachedPipe(pipeToken);
    if (!pipe)
        throw LogicException("CloseChannelException");
    // One output report is sent: only the part of [start, start + length) that falls inside it
    // is copied, so neither a huge start nor a huge length allocates or overflows.
    const long reportSize = std::max(pipe->getOutputReportSize(), 0L);
    std::vector<unsigned char> packet(static_cast<size_t>(reportSize), 0);
    start = std::max(start, 0L);
    length = data ? std::max(length, 0L) : 0;
    if (start < reportSize && length > 0)
        std::memcpy(packet.data() + start, data, static_cast<size_t>(std::min(length, reportSize - start)));
    try {
        pipe->writePacket(packet.data());
    } catch (...) {
    }
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
