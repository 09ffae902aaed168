// One request to a remote, from its creation until the page has collected its outcome: the
// request cut into output reports, the input reports received so far, the cancel flag, the
// result code and the text handed back to the page.
//
// Two threads share a command: the caller thread creates it, reads its result, cancels it,
// generates the answer and destroys it; the worker sets it in progress, adds received reports,
// sets the error text and finally the result. The final result is published last (release) and
// read first (acquire), so the reports and the error text are complete when it is seen.
#ifndef QUORVEX_KVE_USBCOMMAND_H
#define QUORVEX_KVE_USBCOMMAND_H

#include <atomic>
#include <list>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class UsbCommand
{
public:
    // request and endPacket are hexadecimal texts; an empty end packet means none. A null text,
    // a request with a character that is not a hexadecimal digit, a malformed end packet (209)
    // and an answer of unknown length without end packet (210) leave the command with a final
    // result at once.
    UsbCommand(const char* request, int responseNumberOfPackets, int inputPacketSize, int outputPacketSize,
               const char* endPacket);
    virtual ~UsbCommand();

    // Cuts the request into output reports: only whole reports are sent, trailing digits that
    // do not fill one are ignored.
    void convertRequestToBytes(const char*& request);

    // The request pointer the command was created with; valid only during that call.
    const char* getId() const { return id; }
    int getInputPacketSize() const { return inputPacketSize; }
    int getOutputPacketSize() const { return outputPacketSize; }
    int getResponseNumberOfPackets() const { return responseNumberOfPackets; }
    void setResponseNumberOfPackets(int packets) { responseNumberOfPackets = packets; }
    long getTimeout() const { return timeout; }
    void setTimeout(long milliseconds) { timeout = milliseconds; }
    void cancel() { canceled.store(true); }
    bool isCanceled() const { return canceled.load(); }
    int getResult() const { return result.load(std::memory_order_acquire); }
    void setResult(int code) { result.store(code, std::memory_order_release); }
    void setErrorText(std::string text) { errorText = text; }

    // The command takes ownership of the packet.
    void addSendingPacket(unsigned char*& packet);
    // Appends a received input report (the command takes ownership) and tells whether more are
    // expected: false once the expected count is reached or the end packet arrived.
    bool addReceivingPacket(unsigned char*& packet);

    std::list<unsigned char*>& getSendingPackets() { return sendingPackets; }
    std::list<unsigned char*>& getReceivingPackets() { return receivingPackets; }

    // The page's answer (new[], the caller releases it with delete[]): the received reports as
    // upper-case hexadecimal for a successful command, else the response string of the result.
    // Returns the result the answer was made for: the worker may finish the command meanwhile,
    // and the caller must judge the answer by the result it shows.
    int generateResponse(char*& response);

private:
    UsbCommand(const UsbCommand&);
    UsbCommand& operator=(const UsbCommand&);

    void fail(int code, const std::string& detail);

    const char* id;
    int inputPacketSize;
    int outputPacketSize;
    int responseNumberOfPackets;
    long timeout;
    std::atomic<bool> canceled;
    std::atomic<int> result;
    std::string errorText;
    unsigned char* endPacket;
    std::list<unsigned char*> sendingPackets;
    std::list<unsigned char*> receivingPackets;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
