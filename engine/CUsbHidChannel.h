// One HID I/O pipe of a remote, wrapping the USB library's pipe token: attached and opened when
// created, closed and detached when destroyed.
#ifndef QUORVEX_KVE_CUSBHIDCHANNEL_H
#define QUORVEX_KVE_CUSBHIDCHANNEL_H

#include <atomic>

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class CUsbHidChannel
{
public:
    CUsbHidChannel(long pipeToken, long deviceToken);
    virtual ~CUsbHidChannel();

    void open();
    // May run while the worker reads or writes through the channel: the transfer then fails.
    void close();
    // One input report into buffer; throws the int 207 when the channel is not open.
    int read(unsigned char* buffer, long length, long timeout);
    // One output report from data; throws the int 208 when the channel is not open.
    int write(unsigned char* data, long length);
    // True when the channel is open on this side but the USB library no longer has its pipe
    // open: the device went away. A transfer that failed then failed for that reason.
    bool deviceGone();
    // Drops the input reports that arrived and were not read; returns how many.
    long discardInput();
    bool isOpen() const { return opened.load(); }
    long getToken() const { return pipeToken; }

private:
    CUsbHidChannel(const CUsbHidChannel&);
    CUsbHidChannel& operator=(const CUsbHidChannel&);

    const long pipeToken;
    const long deviceToken;
    std::atomic<bool> opened;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
