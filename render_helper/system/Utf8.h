// Small UTF-8 helpers for the key layout export.
#ifndef QUORVEX_RENDERHELPER_UTF8_H
#define QUORVEX_RENDERHELPER_UTF8_H

#include <cstddef>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// Appends the UTF-8 form of a Unicode scalar value; surrogates and values past U+10FFFF add nothing.
void AppendUtf8(std::string& text, char32_t codePoint);

// The longest prefix of a UTF-8 text that takes at most maxUnits UTF-16 code units (characters
// outside the Basic Multilingual Plane take two). Cuts only between characters.
std::string LimitToUtf16Units(const std::string& text, size_t maxUnits);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
