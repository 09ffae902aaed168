#ifndef CEF_INCLUDE_INTERNAL_CEF_STRING_H_
#define CEF_INCLUDE_INTERNAL_CEF_STRING_H_

#include <cstddef>
#include <string>

// The framework's string: UTF-16 code units, converted to and from UTF-8 at the edges.
// Ill-formed input (bad UTF-8 bytes, unpaired surrogates) converts to U+FFFD.
class CefString {
 public:
  CefString() {}
  CefString(const char* utf8);
  CefString(const std::string& utf8);
  CefString(const char16_t* utf16);
  CefString(const std::u16string& utf16) : str_(utf16) {}

  std::string ToString() const;
  std::u16string ToString16() const { return str_; }
  operator std::string() const { return ToString(); }

  const char16_t* c_str() const { return str_.c_str(); }
  size_t length() const { return str_.length(); }
  size_t size() const { return str_.size(); }
  bool empty() const { return str_.empty(); }
  void clear() { str_.clear(); }
  int compare(const CefString& other) const { return str_.compare(other.str_); }

  bool operator==(const CefString& other) const { return str_ == other.str_; }
  bool operator!=(const CefString& other) const { return str_ != other.str_; }
  bool operator<(const CefString& other) const { return str_ < other.str_; }

 private:
  std::u16string str_;
};

#endif  // CEF_INCLUDE_INTERNAL_CEF_STRING_H_
