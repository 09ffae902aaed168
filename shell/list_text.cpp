#include "list_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ipc/messages.h"

namespace shell {
namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  bool ParseTop(CefRefPtr<CefListValue> list, std::string& error) {
    bool ok = ParseList(list, 1) && (SkipSpace(), pos_ == text_.size());
    if (!ok) error = "cannot read the list at offset " + std::to_string(pos_);
    return ok;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && std::strchr(" \t\r\n", text_[pos_]) && text_[pos_]) ++pos_;
  }

  bool Eat(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Word(const char* word) {
    size_t n = std::strlen(word);
    if (text_.compare(pos_, n, word) != 0) return false;
    pos_ += n;
    return true;
  }

  bool ParseList(CefRefPtr<CefListValue> list, int depth) {
    if (depth > cef_ipc::kMaxListDepth || !Eat('[')) return false;
    if (Eat(']')) return true;
    for (int index = 0;; ++index) {
      if (!ParseValue(list, index, depth)) return false;
      if (Eat(']')) return true;
      if (!Eat(',')) return false;
    }
  }

  bool ParseValue(CefRefPtr<CefListValue> list, int index, int depth) {
    SkipSpace();
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (c == '[') {
      CefRefPtr<CefListValue> child = CefListValue::Create();
      return ParseList(child, depth + 1) && list->SetList(index, child);
    }
    if (c == '"') {
      std::string s;
      return ParseString(s) && list->SetString(index, s);
    }
    if (Word("true")) return list->SetBool(index, true);
    if (Word("false")) return list->SetBool(index, false);
    if (Word("null")) return list->SetNull(index);
    return ParseNumber(list, index);
  }

  bool ParseNumber(CefRefPtr<CefListValue> list, int index) {
    size_t start = pos_;
    while (pos_ < text_.size() && std::strchr("+-0123456789.eE", text_[pos_]) && text_[pos_])
      ++pos_;
    std::string number = text_.substr(start, pos_ - start);
    if (number.empty()) return false;
    char* end = nullptr;
    errno = 0;
    if (number.find_first_of(".eE") == std::string::npos) {
      long long v = std::strtoll(number.c_str(), &end, 10);
      if (*end == '\0' && errno == 0 && v >= INT32_MIN && v <= INT32_MAX)
        return list->SetInt(index, static_cast<int>(v));
    }
    double d = std::strtod(number.c_str(), &end);
    return *end == '\0' && list->SetDouble(index, d);
  }

  bool ParseHex4(unsigned& value) {
    if (text_.size() - pos_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      value <<= 4;
      if (c >= '0' && c <= '9') value |= c - '0';
      else if (c >= 'a' && c <= 'f') value |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') value |= c - 'A' + 10;
      else return false;
    }
    return true;
  }

  // A JSON string; \u escapes (surrogate pairs included) come out as UTF-8.
  bool ParseString(std::string& out) {
    ++pos_;
    std::u16string units;
    auto flush = [&]() {
      out += CefString(units).ToString();
      units.clear();
    };
    while (pos_ < text_.size()) {
      char c = text_[pos_++];
      if (c == '"') {
        flush();
        return true;
      }
      if (c != '\\') {
        flush();
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) return false;
      char e = text_[pos_++];
      const char* simple = std::strchr("\"\\/bfnrt", e);
      if (e && simple) {
        flush();
        out += "\"\\/\b\f\n\r\t"[simple - "\"\\/bfnrt"];
      } else if (e == 'u') {
        unsigned unit;
        if (!ParseHex4(unit)) return false;
        units += static_cast<char16_t>(unit);
      } else {
        return false;
      }
    }
    return false;
  }

  const std::string& text_;
  size_t pos_ = 0;
};

void FormatString(const std::string& s, std::string& out) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void FormatDouble(double d, std::string& out) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", d);
  std::string text = buffer;
  if (std::isfinite(d) && text.find_first_of(".eE") == std::string::npos) text += ".0";
  out += text;
}

void Format(CefRefPtr<CefListValue> list, std::string& out) {
  out += '[';
  for (size_t i = 0; i < list->GetSize(); ++i) {
    if (i > 0) out += ", ";
    int index = static_cast<int>(i);
    switch (list->GetType(index)) {
      case VTYPE_BOOL:
        out += list->GetBool(index) ? "true" : "false";
        break;
      case VTYPE_INT:
        out += std::to_string(list->GetInt(index));
        break;
      case VTYPE_DOUBLE:
        FormatDouble(list->GetDouble(index), out);
        break;
      case VTYPE_STRING:
        FormatString(list->GetString(index).ToString(), out);
        break;
      case VTYPE_LIST:
        Format(list->GetList(index), out);
        break;
      default:
        out += "null";
        break;
    }
  }
  out += ']';
}

}  // namespace

bool ParseList(const std::string& text, CefRefPtr<CefListValue> list, std::string& error) {
  return Parser(text).ParseTop(list, error);
}

std::string FormatList(CefRefPtr<CefListValue> list) {
  std::string out;
  if (list) Format(list, out);
  return out;
}

}  // namespace shell
