#include "include/internal/cef_string.h"

#include "utf.h"

CefString::CefString(const char* utf8) {
  if (utf8) str_ = cef_stand_in::Utf8ToUtf16(utf8, std::char_traits<char>::length(utf8));
}

CefString::CefString(const std::string& utf8)
    : str_(cef_stand_in::Utf8ToUtf16(utf8.data(), utf8.size())) {}

CefString::CefString(const char16_t* utf16) {
  if (utf16) str_ = utf16;
}

std::string CefString::ToString() const { return cef_stand_in::Utf16ToUtf8(str_); }
