#ifndef CEF_SRC_UTF_H_
#define CEF_SRC_UTF_H_

#include <cstddef>
#include <string>

namespace cef_stand_in {

// UTF-8 to UTF-16; each ill-formed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(const char* data, size_t length);
// UTF-16 to UTF-8; each unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// The script engine keeps strings as CESU-8: every UTF-16 code unit on its own, so that unpaired
// surrogates survive. These convert between that form and UTF-16 without loss.
std::string Utf16ToCesu8(const std::u16string& text);
std::u16string Cesu8ToUtf16(const char* data, size_t length);

}  // namespace cef_stand_in

#endif  // CEF_SRC_UTF_H_
