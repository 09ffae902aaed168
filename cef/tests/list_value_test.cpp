#include <gtest/gtest.h>

#include "include/cef_process_message.h"
#include "include/cef_values.h"

namespace {

TEST(ListValue, SetListTakesOverAFreeStandingListAndCopiesAnOwnedOne) {
  CefRefPtr<CefListValue> parent = CefListValue::Create();
  CefRefPtr<CefListValue> child = CefListValue::Create();
  child->SetInt(0, 7);
  ASSERT_TRUE(parent->SetList(0, child));
  // The child now lives in the parent; the reference given away no longer works.
  EXPECT_FALSE(child->IsValid());
  EXPECT_FALSE(child->SetInt(1, 8));
  CefRefPtr<CefListValue> inside = parent->GetList(0);
  EXPECT_TRUE(inside->IsOwned());
  EXPECT_EQ(7, inside->GetInt(0));

  // An owned list is copied: both places then change independently.
  ASSERT_TRUE(parent->SetList(1, inside));
  EXPECT_TRUE(inside->IsValid());
  inside->SetInt(0, 9);
  EXPECT_EQ(9, parent->GetList(0)->GetInt(0));
  EXPECT_EQ(7, parent->GetList(1)->GetInt(0));
}

TEST(ListValue, AListCannotBeMadeToContainItself) {
  CefRefPtr<CefListValue> root = CefListValue::Create();
  EXPECT_FALSE(root->SetList(0, root));
  root->SetList(0, CefListValue::Create());
  CefRefPtr<CefListValue> child = root->GetList(0);
  // Taking the root over into its own child would close a loop.
  EXPECT_FALSE(child->SetList(0, root));
  EXPECT_TRUE(root->IsValid());
  EXPECT_EQ(VTYPE_LIST, root->GetType(0));
}

TEST(ListValue, SettersGrowTheListWithNullsAndReadOnlyListsRefuseChanges) {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  EXPECT_TRUE(list->SetString(2, "x"));
  EXPECT_EQ(3u, list->GetSize());
  EXPECT_EQ(VTYPE_NULL, list->GetType(0));
  EXPECT_EQ(VTYPE_INVALID, list->GetType(3));
  EXPECT_FALSE(list->SetInt(-1, 1));
  EXPECT_TRUE(list->SetSize(1));
  EXPECT_EQ(1u, list->GetSize());
  // Wrong-type reads give the type's empty value.
  EXPECT_EQ(0, list->GetInt(0));
  EXPECT_EQ("", list->GetString(0).ToString());

  EXPECT_FALSE(CefProcessMessage::Create("").get());
  CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create("m");
  message->GetArgumentList()->SetBool(0, true);
  EXPECT_TRUE(message->GetArgumentList()->GetBool(0));
}

TEST(CefString, ConvertsBetweenUtf8AndUtf16ReplacingIllFormedInput) {
  const struct {
    std::string utf8;
    std::string back;
  } cases[] = {
      {"plain", "plain"},
      {"\xc3\xa9\xf0\x9f\x98\x80", "\xc3\xa9\xf0\x9f\x98\x80"},
      {"a\xff" "b", "a\xef\xbf\xbd" "b"},
      {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},  // an encoded surrogate
      {"\xe2\x82", "\xef\xbf\xbd\xef\xbf\xbd"},                  // cut short
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.back, CefString(c.utf8).ToString()) << c.utf8;
  EXPECT_EQ(2u, CefString("\xf0\x9f\x98\x80").length());
  // An unpaired surrogate cannot be written as UTF-8.
  EXPECT_EQ("\xef\xbf\xbd", CefString(std::u16string(1, char16_t(0xD800))).ToString());
}

}  // namespace
