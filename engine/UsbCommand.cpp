#include "UsbCommand.h"

#include <cstring>

#include "response/ResponseRepository.h"
#include "util/ByteUtil.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

using common::util::ByteUtil;
using response::ResponseRepository;

namespace {

// The first position of a character that is not a hexadecimal digit, or -1.
long firstNonHexDigit(const char* text)
{
    for (const char* c = text; *c; ++c) {
        if (ByteUtil::charToInt(*c) < 0)
            return static_cast<long>(c - text);
    }
    return -1;
}

std::string responseText(int code)
{
    char* text = nullptr;
    ResponseRepository::createDynamicErrorMessage(text, code, std::string());
    const std::string copy(text);
    delete[] text;
    return copy;
}

// The answer while a command waits or runs: the same text every time, so it is made once and
// copied, not formatted again for every poll.
void pendingAnswer(char*& response, int code)
{
    static const std::string created = responseText(ResponseRepository::NEW);
    static const std::string running = responseText(ResponseRepository::IN_PROGRESS);
    const std::string& text = code == ResponseRepository::NEW ? created : running;
    response = new char[text.size() + 1];
    std::memcpy(response, text.c_str(), text.size() + 1);
}

} // namespace

UsbCommand::UsbCommand(const char* request, int responseNumberOfPackets, int inputPacketSize,
                       int outputPacketSize, const char* endPacketText)
    : id(request),
      inputPacketSize(inputPacketSize),
      outputPacketSize(outputPacketSize),
      responseNumberOfPackets(responseNumberOfPackets),
      timeout(0),
      canceled(false),
      result(ResponseRepository::NEW),
      endPacket(nullptr)
{
    if (!request) {
        fail(ResponseRepository::KVE_GENERAL_ERROR, "Request is missing");
        return;
    }
    if (!endPacketText) {
        fail(ResponseRepository::KVE_GENERAL_ERROR, "End packet is missing");
        return;
    }

    const size_t endLength = std::strlen(endPacketText);
    if (endLength >= 1) {
        const int converted = ByteUtil::hexCharArrayToBytes(endPacketText, 0, static_cast<int>(endLength), endPacket);
        if (converted != inputPacketSize)
            fail(ResponseRepository::KVE_EOF_PACKET_ERROR, endPacketText);
    } else if (responseNumberOfPackets == -1) {
        fail(ResponseRepository::KVE_NO_TERMINATE_SIGNAL, "");
    }

    // A request that is not all hexadecimal digits is refused rather than sent with bytes that
    // were never given.
    const long bad = firstNonHexDigit(request);
    if (bad >= 0 && result.load() == ResponseRepository::NEW)
        fail(ResponseRepository::KVE_GENERAL_ERROR,
             "Request is not hexadecimal text (character " + std::to_string(bad + 1) + ")");
    if (bad < 0)
        convertRequestToBytes(request);
}

UsbCommand::~UsbCommand()
{
    delete[] endPacket;
    for (unsigned char* packet : sendingPackets)
        delete[] packet;
    for (unsigned char* packet : receivingPackets)
        delete[] packet;
}

void UsbCommand::fail(int code, const std::string& detail)
{
    errorText = detail;
    setResult(code);
}

void UsbCommand::convertRequestToBytes(const char*& request)
{
    // A remote without an open channel has no output report size: nothing can be cut.
    if (!request || outputPacketSize <= 0)
        return;
    const size_t length = std::strlen(request);
    const size_t digitsPerPacket = 2 * static_cast<size_t>(outputPacketSize);
    const size_t packets = length / digitsPerPacket;
    for (size_t k = 0; k < packets; ++k) {
        unsigned char* bytes = nullptr;
        ByteUtil::hexCharArrayToBytes(request, static_cast<int>(k * digitsPerPacket), static_cast<int>(digitsPerPacket), bytes);
        addSendingPacket(bytes);
    }
}

void UsbCommand::addSendingPacket(unsigned char*& packet) { sendingPackets.push_back(packet); }

bool UsbCommand::addReceivingPacket(unsigned char*& packet)
{
    receivingPackets.push_back(packet);
    if (responseNumberOfPackets != -1 &&
        static_cast<long>(receivingPackets.size()) >= static_cast<long>(responseNumberOfPackets))
        return false;
    if (!endPacket)
        return true;
    return std::memcmp(packet, endPacket, static_cast<size_t>(inputPacketSize > 0 ? inputPacketSize : 0)) != 0;
}

int UsbCommand::generateResponse(char*& response)
{
    const int code = getResult();
    if (code == ResponseRepository::NEW || code == ResponseRepository::IN_PROGRESS) {
        pendingAnswer(response, code);
        return code;
    }
    if (code != ResponseRepository::SUCCESS) {
        // The error text is the worker's until the result is final.
        ResponseRepository::createDynamicErrorMessage(response, code, code < 0 ? std::string() : errorText);
        return code;
    }
    const size_t blockLength = 2 * static_cast<size_t>(inputPacketSize > 0 ? inputPacketSize : 0);
    response = new char[receivingPackets.size() * blockLength + 1];
    char* at = response;
    for (unsigned char* packet : receivingPackets) {
        const std::string hex = ByteUtil::bytesToHexString(packet, inputPacketSize);
        std::memcpy(at, hex.data(), hex.size());
        at += hex.size();
    }
    *at = '\0';
    return code;
}

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
