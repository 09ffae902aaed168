#include "KeyValueEscape.h"

#include <cstdio>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

std::string EscapeKeyValue(const std::string& characters)
{
    std::string escaped;
    escaped.reserve(characters.size() + 1);
    for (char c : characters) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            escaped += '\\';
            escaped += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", byte);
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}}}} // namespace quorvex::lumora::client::renderhelper
