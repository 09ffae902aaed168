#include "include/internal/cef_string.h"

#include "script/Utf.h"

CefString::CefString(const char* utf8) {
  if (utf8) str_ = script::utf8ToUtf16(utf8, std::char_traits<char>::length(utf8));
}

CefString::CefString(const std::string& utf8) : str_(script::utf8ToUtf16(utf8)) {}

CefString::CefString(const char16_t* utf16) {
  if (utf16) str_ = utf16;
}

std::string CefString::ToString() const { return script::utf16ToUtf8(str_); }
