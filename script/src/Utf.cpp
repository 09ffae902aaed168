#include "script/Utf.h"

namespace script {
namespace {

const char16_t REPLACEMENT = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

bool isSurrogate(char32_t cp)
{
    return cp >= 0xD800 && cp <= 0xDFFF;
}

// Decodes one sequence at `i`; false (one byte consumed) when it is ill-formed: a stray
// continuation byte, a cut sequence, an overlong form, a surrogate or a value past U+10FFFF.
bool decodeOne(const unsigned char* s, size_t length, size_t& i, char32_t& cp)
{
    const unsigned char lead = s[i];
    size_t extra;
    char32_t least;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        least = 0x80;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        least = 0x800;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        least = 0x10000;
        cp = lead & 0x07;
    } else {
        ++i;
        return false;
    }
    if (length - i <= extra) {
        ++i;
        return false;
    }
    for (size_t k = 1; k <= extra; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || isSurrogate(cp)) {
        ++i;
        return false;
    }
    i += extra + 1;
    return true;
}

} // namespace

std::u16string utf8ToUtf16(const char* data, size_t length)
{
    std::u16string out;
    out.reserve(length);
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < length) {
        char32_t cp;
        if (decodeOne(s, length, i, cp))
            appendUtf16(out, cp);
        else
            out += REPLACEMENT;
    }
    return out;
}

std::string utf16ToUtf8(const char16_t* data, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const char32_t unit = data[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && data[i + 1] >= 0xDC00 && data[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (data[i + 1] - 0xDC00));
            ++i;
        } else if (isSurrogate(unit)) {
            appendUtf8(out, REPLACEMENT);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace script
