// Building a device command from what the page sent (request and end packet as text, the count
// of answer packets) and the remote's report sizes, then feeding it reports until it is complete
// and generating the page's answer. Every command either fails at once with a defined code and
// sends nothing, or holds exactly the whole output reports of its request; its answer is a
// response string or the received reports as upper-case hexadecimal.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include "FuzzInput.h"
#include "UsbCommand.h"
#include "response/ResponseRepository.h"
#include "util/ByteUtil.h"

using quorvex::lumora::client::common::util::ByteUtil;
using quorvex::lumora::client::corvane::response::ResponseRepository;
using quorvex::lumora::client::corvane::superstupiddummyengine::UsbCommand;

namespace {

// Report sizes: mostly real ones, sometimes the extremes a remote without a channel or a broken
// descriptor could give.
int packetSize(fuzz::FuzzInput& input)
{
    const uint8_t choice = input.byte();
    switch (choice % 8) {
    case 0: return 0;
    case 1: return input.i32();
    default: return 1 + choice / 8 % 70;
    }
}

int responseCount(fuzz::FuzzInput& input)
{
    static const int special[] = {-1, 0, 1, 2, -2, 3, 2147483647, -2147483647 - 1};
    const uint8_t choice = input.byte();
    return choice < 200 ? special[choice % 8] : input.i32();
}

// A text as the plug-in hands it over: null, or NUL-terminated in a block of its own size.
std::unique_ptr<char[]> pageText(fuzz::FuzzInput& input, bool& isNull)
{
    isNull = input.byte() == 0xFF;
    if (isNull)
        return nullptr;
    std::string text = input.text(1024);
    text = text.substr(0, text.find('\0'));
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    return block;
}

bool isUpperHex(const std::string& text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

bool allHexDigits(const char* text)
{
    for (; *text; ++text)
        if (ByteUtil::charToInt(*text) < 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const int inputSize = packetSize(input);
    const int outputSize = packetSize(input);
    const int count = responseCount(input);
    bool requestNull = false, endNull = false;
    const std::unique_ptr<char[]> request = pageText(input, requestNull);
    const std::unique_ptr<char[]> end = pageText(input, endNull);

    UsbCommand command(request.get(), count, inputSize, outputSize, end.get());
    const int result = command.getResult();
    FUZZ_CHECK(result == ResponseRepository::NEW || result == ResponseRepository::KVE_GENERAL_ERROR
                   || result == ResponseRepository::KVE_EOF_PACKET_ERROR
                   || result == ResponseRepository::KVE_NO_TERMINATE_SIGNAL,
               "construction left result %d", result);
    if (requestNull || endNull || !allHexDigits(request.get()))
        FUZZ_CHECK(result != ResponseRepository::NEW, "a missing or non-hexadecimal text was accepted");

    if (result != ResponseRepository::NEW) {
        FUZZ_CHECK(result != ResponseRepository::KVE_GENERAL_ERROR || command.getSendingPackets().empty(),
                   "a refused request still has %zu packets to send", command.getSendingPackets().size());
        char* answer = nullptr;
        FUZZ_CHECK(command.generateResponse(answer) == result, "answer made for another result");
        FUZZ_CHECK(ResponseRepository::getResponseCode(answer) == result, "answer %s", answer);
        delete[] answer;
        return 0;
    }

    // Whole output reports only, byte for byte the request's.
    const size_t requestLength = std::strlen(request.get());
    const size_t expectedPackets = outputSize > 0 ? requestLength / (2 * static_cast<size_t>(outputSize)) : 0;
    FUZZ_CHECK(command.getSendingPackets().size() == expectedPackets, "%zu packets for %zu digits in reports of %d",
               command.getSendingPackets().size(), requestLength, outputSize);
    size_t k = 0;
    for (unsigned char* packet : command.getSendingPackets()) {
        const std::string sent = ByteUtil::bytesToHexString(packet, outputSize);
        FUZZ_CHECK(strncasecmp(sent.c_str(), request.get() + k * sent.size(), sent.size()) == 0, "packet %zu differs", k);
        ++k;
    }

    // Feed reports until the command wants no more (a bounded number: a count this large is cut
    // short by the remote's time-out in the engine). Large reports are not simulated.
    if (inputSize <= 0 || inputSize > 4096)
        return 0;
    std::vector<std::string> fed;
    bool more = true;
    for (int n = 0; more && n < 16; ++n) {
        unsigned char* report = new unsigned char[inputSize]();
        if (input.flag() && !endNull && std::strlen(end.get()) == 2 * static_cast<size_t>(inputSize)) {
            const char* endText = end.get();
            unsigned char* endBytes = nullptr;
            ByteUtil::hexCharArrayToBytes(endText, 0, 2 * inputSize, endBytes);
            std::memcpy(report, endBytes, inputSize);
            delete[] endBytes;
        } else {
            for (int i = 0; i < inputSize && !input.empty(); ++i)
                report[i] = input.byte();
        }
        fed.push_back(ByteUtil::bytesToHexString(report, inputSize));
        more = command.addReceivingPacket(report);
        if (count != -1 && static_cast<long>(fed.size()) >= count)
            FUZZ_CHECK(!more, "more reports wanted after %zu of %d", fed.size(), count);
    }

    command.setResult(ResponseRepository::SUCCESS);
    char* answer = nullptr;
    FUZZ_CHECK(command.generateResponse(answer) == ResponseRepository::SUCCESS, "answer for another result");
    std::string expected;
    for (const std::string& report : fed)
        expected += report;
    FUZZ_CHECK(answer == expected, "answer %s is not the reports received", answer);
    FUZZ_CHECK(isUpperHex(answer), "answer %s is not upper-case hexadecimal", answer);
    delete[] answer;
    return 0;
}
