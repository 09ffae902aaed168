#include "ByteUtil.h"

namespace quorvex { namespace lumora { namespace client { namespace common { namespace util {

std::string ByteUtil::bytesToHexString(const unsigned char* data, int length)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    if (!data || length <= 0)
        return text;
    text.resize(static_cast<std::string::size_type>(length) * 2);
    for (int i = 0; i < length; ++i) {
        text[2 * i] = digits[data[i] >> 4];
        text[2 * i + 1] = digits[data[i] & 0x0F];
    }
    return text;
}

int ByteUtil::hexCharArrayToBytes(const char*& text, int index, int length, unsigned char*& out)
{
    const int bytes = length / 2;
    out = new unsigned char[bytes > 0 ? bytes : 0]();
    if (length <= 0)
        return bytes;
    if (!text || index < 0)
        return -1;
    const char* pair = text + index;
    for (int i = 0; 2 * i < length; ++i) {
        // The high digit is tested before the low one is read: a NUL ends the text.
        const int hi = charToInt(pair[2 * i]);
        if (hi < 0)
            return -1;
        const int lo = charToInt(pair[2 * i + 1]);
        if (lo < 0)
            return -1;
        if (i < bytes)
            out[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    return bytes;
}

int ByteUtil::charToInt(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}}}}} // namespace quorvex::lumora::client::common::util
