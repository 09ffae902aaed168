#include "TextEncoding.h"

namespace nphost {
namespace {

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The code unit of a three-byte sequence at `p` when it is a surrogate in [low, high], else 0.
unsigned surrogateAt(const unsigned char* p, size_t left, unsigned low, unsigned high)
{
    if (left < 3 || p[0] != 0xED || !isContinuation(p[1]) || !isContinuation(p[2]))
        return 0;
    const unsigned unit = 0xD000u | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    return unit >= low && unit <= high ? unit : 0;
}

void appendThreeBytes(std::string& out, unsigned unit)
{
    out += static_cast<char>(0xE0 | (unit >> 12));
    out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (unit & 0x3F));
}

} // namespace

std::string scriptTextToUtf8(const char* bytes, size_t length)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        const unsigned high = surrogateAt(p + i, length - i, 0xD800, 0xDBFF);
        const unsigned low = high ? surrogateAt(p + i + 3, length - i - 3, 0xDC00, 0xDFFF) : 0;
        if (high && low) {
            const unsigned code = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
            i += 6;
        } else {
            out += static_cast<char>(p[i++]);
        }
    }
    return out;
}

std::string utf8ToScriptText(const char* bytes, size_t length)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length;) {
        if (p[i] >= 0xF0 && p[i] <= 0xF4 && length - i >= 4 && isContinuation(p[i + 1]) && isContinuation(p[i + 2])
            && isContinuation(p[i + 3])) {
            const unsigned code = ((p[i] & 0x07u) << 18) | ((p[i + 1] & 0x3Fu) << 12) | ((p[i + 2] & 0x3Fu) << 6)
                                  | (p[i + 3] & 0x3Fu);
            if (code >= 0x10000 && code <= 0x10FFFF) {
                appendThreeBytes(out, 0xD800 + ((code - 0x10000) >> 10));
                appendThreeBytes(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
                i += 4;
                continue;
            }
        }
        out += static_cast<char>(p[i++]);
    }
    return out;
}

} // namespace nphost
