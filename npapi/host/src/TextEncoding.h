// Text between the script engine and plug-ins. Duktape stores a character beyond U+FFFF as two
// surrogates of three bytes each; plug-ins expect standard UTF-8 with one four-byte sequence.
#ifndef NPHOST_TEXTENCODING_H
#define NPHOST_TEXTENCODING_H

#include <cstddef>
#include <string>

namespace nphost {

std::string scriptTextToUtf8(const char* bytes, size_t length);
std::string utf8ToScriptText(const char* bytes, size_t length);

} // namespace nphost

#endif
