#include "Utf8.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

void AppendUtf8(std::string& text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            return;
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0x10FFFF) {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string LimitToUtf16Units(const std::string& text, size_t maxUnits)
{
    size_t units = 0;
    size_t position = 0;
    while (position < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[position]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        size_t needed = length == 4 ? 2 : 1;
        if (units + needed > maxUnits || position + length > text.size())
            break;
        units += needed;
        position += length;
    }
    return text.substr(0, position);
}

}}}} // namespace quorvex::lumora::client::renderhelper
