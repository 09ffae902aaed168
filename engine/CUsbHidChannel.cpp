#include "CUsbHidChannel.h"

#include "hidlet/Hidlets.h"
#include "response/ResponseRepository.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

using response::ResponseRepository;
namespace usb = hidlet;

CUsbHidChannel::CUsbHidChannel(long pipe, long device) : pipeToken(pipe), deviceToken(device), opened(false)
{
    usb::AttachChannel(deviceToken, pipeToken);
    opened = usb::OpenChannel(pipeToken);
}

CUsbHidChannel::~CUsbHidChannel()
{
    usb::CloseChannel(pipeToken);
    opened = false;
    usb::DetachChannel(pipeToken);
}

void CUsbHidChannel::open() { opened = usb::OpenChannel(pipeToken); }

void CUsbHidChannel::close()
{
    // Cleared first, so that a transfer that fails because of this close is not taken for a
    // removal of the device.
    opened = false;
    usb::CloseChannel(pipeToken);
}

bool CUsbHidChannel::deviceGone() { return opened && !usb::IsChannelOpen(pipeToken); }

long CUsbHidChannel::discardInput() { return opened ? usb::DiscardInput(pipeToken) : 0; }

int CUsbHidChannel::read(unsigned char* buffer, long length, long timeout)
{
    if (!opened)
        throw ResponseRepository::KVE_READ_CHANNEL_NOT_OPEN;
    return static_cast<int>(usb::Read(pipeToken, buffer, length, timeout));
}

int CUsbHidChannel::write(unsigned char* data, long length)
{
    if (!opened)
        throw ResponseRepository::KVE_WRITE_CHANNEL_NOT_OPEN;
    return static_cast<int>(usb::Write(pipeToken, data, length));
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
