// Hexadecimal text to bytes and back. Input accepts both letter cases; output is upper case.
#ifndef QUORVEX_COMMON_UTIL_BYTEUTIL_H
#define QUORVEX_COMMON_UTIL_BYTEUTIL_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace common { namespace util {

class ByteUtil
{
public:
    // Two upper-case digits per byte, high nibble first; empty for a length of 0 or less.
    static std::string bytesToHexString(const unsigned char* data, int length);

    // Converts the digit pairs of text[index .. index+length) into a new array of length/2 bytes
    // (new[], zero-filled, always allocated; the caller releases it with delete[]).
    // Returns length/2, or -1 when a character is not a hexadecimal digit. An odd length takes
    // the second digit of its last pair from the character after the range. Conversion stops at
    // the text's terminating NUL, so it never reads past the end of the text.
    static int hexCharArrayToBytes(const char*& text, int index, int length, unsigned char*& out);

    // '0'-'9' -> 0-9, 'A'-'F' and 'a'-'f' -> 10-15, anything else -> -1.
    static int charToInt(char c);

private:
    ByteUtil();
};

}}}}} // namespace quorvex::lumora::client::common::util

#endif
