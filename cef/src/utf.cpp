#include "utf.h"

namespace cef_stand_in {
namespace {

const char16_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// Decodes one sequence at |i|; returns false (and consumes one byte) when it is ill-formed.
// Surrogate code points pass only when |allow_surrogates| is set.
bool DecodeOne(const unsigned char* s, size_t length, size_t& i, bool allow_surrogates,
               char32_t& cp) {
  unsigned char lead = s[i];
  size_t extra;
  char32_t min;
  if (lead < 0x80) {
    cp = lead;
    ++i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    min = 0x80;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    min = 0x800;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    min = 0x10000;
    cp = lead & 0x07;
  } else {
    ++i;
    return false;
  }
  if (length - i <= extra) {
    ++i;
    return false;
  }
  for (size_t k = 1; k <= extra; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    cp = (cp << 6) | (s[i + k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (!allow_surrogates && IsSurrogate(cp))) {
    ++i;
    return false;
  }
  i += extra + 1;
  return true;
}

std::u16string Decode(const char* data, size_t length, bool allow_surrogates) {
  std::u16string out;
  out.reserve(length);
  const unsigned char* s = reinterpret_cast<const unsigned char*>(data);
  size_t i = 0;
  while (i < length) {
    char32_t cp;
    if (DecodeOne(s, length, i, allow_surrogates, cp))
      AppendUtf16(out, cp);
    else
      out += kReplacement;
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(const char* data, size_t length) { return Decode(data, length, false); }

std::u16string Cesu8ToUtf16(const char* data, size_t length) { return Decode(data, length, true); }

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::string Utf16ToCesu8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) AppendUtf8(out, unit);
  return out;
}

}  // namespace cef_stand_in
