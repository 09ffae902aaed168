#include <gtest/gtest.h>

#include "list_text.h"

namespace {

std::string RoundTrip(const std::string& text) {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  std::string error;
  if (!shell::ParseList(text, list, error)) return "error: " + error;
  return shell::FormatList(list);
}

TEST(ListText, ParsesAndPrintsEachValueType) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"[]", "[]"},
      {" [ 1 , 2.5,\"s\",true,false,null,[3,[]]] ", "[1, 2.5, \"s\", true, false, null, [3, []]]"},
      // Integers are whole numbers within 32 bits; anything else is a double and prints as one.
      {"[2147483647, 2147483648, -2147483648, 3.0, 1e2]",
       "[2147483647, 2147483648.0, -2147483648, 3.0, 100.0]"},
      {"[\"a\\\"b\\\\c\\n\\u00e9\\ud83d\\ude00\"]", "[\"a\\\"b\\\\c\\u000a\xc3\xa9\xf0\x9f\x98\x80\"]"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.out, RoundTrip(c.in)) << c.in;
}

TEST(ListText, RejectsMalformedText) {
  const char* bad[] = {"", "1", "[", "[1,]", "[1 2]", "[tru]", "[\"open]", "[1] x", "[\"\\x\"]",
                       "[\"\\u12\"]", "[--1]"};
  for (const char* text : bad) EXPECT_EQ(0u, RoundTrip(text).find("error: ")) << text;
  std::string deep(200, '[');
  EXPECT_EQ(0u, RoundTrip(deep + std::string(200, ']')).find("error: "));
}

}  // namespace
