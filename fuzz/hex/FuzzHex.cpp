// Hexadecimal text to bytes and back: any bytes survive the round trip, and converting any text
// (at any index and length inside it) neither reads past its end nor invents bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzInput.h"
#include "util/ByteUtil.h"

using quorvex::lumora::client::common::util::ByteUtil;

namespace {

void roundTrip(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    const std::string hex = ByteUtil::bytesToHexString(data, length);
    FUZZ_CHECK(hex.size() == 2 * bytes.size(), "hex of %d bytes has %zu digits", length, hex.size());
    for (char c : hex)
        FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'), "digit %c is not upper-case hexadecimal", c);

    const char* text = hex.c_str();
    unsigned char* back = nullptr;
    const int converted = ByteUtil::hexCharArrayToBytes(text, 0, static_cast<int>(hex.size()), back);
    FUZZ_CHECK(converted == length, "converted %d of %d bytes", converted, length);
    FUZZ_CHECK(length == 0 || std::memcmp(back, data, bytes.size()) == 0, "bytes changed in the round trip");
    delete[] back;
}

void convertAnyText(const std::string& source, int index, int length)
{
    // The text in a block of its own size, so that ASan sees a read past its NUL.
    const std::string cut = source.substr(0, source.find('\0'));
    std::unique_ptr<char[]> block(new char[cut.size() + 1]);
    std::memcpy(block.get(), cut.c_str(), cut.size() + 1);
    const char* text = block.get();

    unsigned char* out = nullptr;
    const int converted = ByteUtil::hexCharArrayToBytes(text, index, length, out);
    FUZZ_CHECK(out != nullptr, "no array handed out");
    if (length <= 0) {
        FUZZ_CHECK(converted == length / 2, "length %d converted to %d", length, converted);
    } else {
        // An odd length takes the second digit of its last pair from the character after it.
        const int needed = length + length % 2;
        bool allDigits = static_cast<size_t>(index) + needed <= cut.size();
        for (int i = 0; allDigits && i < needed; ++i)
            allDigits = ByteUtil::charToInt(text[index + i]) >= 0;
        FUZZ_CHECK(converted == (allDigits ? length / 2 : -1), "text of %d digits at %d converted to %d", length,
                   index, converted);
        for (int i = 0; allDigits && i < length / 2; ++i)
            FUZZ_CHECK(out[i] == ByteUtil::charToInt(text[index + 2 * i]) * 16 + ByteUtil::charToInt(text[index + 2 * i + 1]),
                       "byte %d", i);
    }
    delete[] out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const int32_t index = input.i32();
    const int32_t length = input.i32();
    const std::string rest = input.rest();

    roundTrip(rest);
    for (unsigned char c : rest) {
        const int value = ByteUtil::charToInt(static_cast<char>(c));
        FUZZ_CHECK(value >= -1 && value <= 15, "digit value %d", value);
    }

    // Any index inside the text (its NUL included) and lengths that fit it or run past it; the
    // array for a length is allocated, so lengths stay within what a request could hold.
    const std::string text = rest.substr(0, rest.find('\0'));
    const int at = static_cast<int>(static_cast<uint32_t>(index) % (text.size() + 1));
    const int span = length < 0 ? length : static_cast<int>(static_cast<uint32_t>(length) % (2 * text.size() + 8));
    convertAnyText(rest, at, span);
    return 0;
}
