// Text between UTF-8 (files, plug-ins, the framework's byte strings) and UTF-16 (what script
// strings are made of).
#ifndef SCRIPT_UTF_H
#define SCRIPT_UTF_H

#include <cstddef>
#include <string>

namespace script {

// Each ill-formed byte becomes U+FFFD.
std::u16string utf8ToUtf16(const char* data, size_t length);
inline std::u16string utf8ToUtf16(const std::string& text) { return utf8ToUtf16(text.data(), text.size()); }

// Each unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* data, size_t length);
inline std::string utf16ToUtf8(const std::u16string& text) { return utf16ToUtf8(text.data(), text.size()); }

} // namespace script

#endif
