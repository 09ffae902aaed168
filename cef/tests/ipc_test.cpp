#include <cmath>

#include <gtest/gtest.h>

#include "ipc/messages.h"

namespace {

CefRefPtr<CefListValue> Nested(int depth) {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  list->SetInt(0, depth);
  for (int i = 1; i < depth; ++i) {
    CefRefPtr<CefListValue> outer = CefListValue::Create();
    outer->SetList(0, list);
    list = outer;
  }
  return list;
}

TEST(IpcFrames, RoundTripKeepsEveryFieldAndValueType) {
  cef_ipc::Frame frame;
  frame.kind = cef_ipc::Kind::kProcessMessage;
  frame.seq = 42;
  frame.browser_id = -3;
  frame.frame_name = "child";
  frame.url = "page.js";
  frame.script = std::string("var a;\0", 7);
  frame.focus = cef_ipc::FocusTarget::kNonEditable;
  frame.ok = false;
  frame.text = "why";
  frame.message = CefProcessMessage::Create("name");
  CefRefPtr<CefListValue> args = frame.message->GetArgumentList();
  args->SetInt(0, -2147483647 - 1);
  args->SetDouble(1, -0.0);
  args->SetString(2, "\xc3\xa9");
  args->SetBool(3, false);
  args->SetNull(4);
  args->SetList(5, Nested(3));

  std::string bytes;
  ASSERT_TRUE(cef_ipc::Encode(frame, bytes));
  cef_ipc::Frame back;
  ASSERT_TRUE(cef_ipc::Decode(bytes, back));
  EXPECT_EQ(cef_ipc::Kind::kProcessMessage, back.kind);
  EXPECT_EQ(42u, back.seq);
  EXPECT_EQ(-3, back.browser_id);
  EXPECT_EQ("child", back.frame_name);
  EXPECT_EQ(frame.script, back.script);
  EXPECT_EQ(cef_ipc::FocusTarget::kNonEditable, back.focus);
  EXPECT_FALSE(back.ok);
  EXPECT_EQ("why", back.text);
  EXPECT_FALSE(back.list.get());
  ASSERT_TRUE(back.message.get());
  EXPECT_TRUE(back.message->IsReadOnly());
  CefRefPtr<CefListValue> got = back.message->GetArgumentList();
  ASSERT_EQ(6u, got->GetSize());
  EXPECT_EQ(-2147483647 - 1, got->GetInt(0));
  EXPECT_TRUE(std::signbit(got->GetDouble(1)));
  EXPECT_EQ("\xc3\xa9", got->GetString(2).ToString());
  EXPECT_EQ(VTYPE_BOOL, got->GetType(3));
  EXPECT_EQ(VTYPE_NULL, got->GetType(4));
  EXPECT_EQ(3, got->GetList(5)->GetList(0)->GetList(0)->GetInt(0));
  EXPECT_FALSE(got->SetInt(0, 1));
}

TEST(IpcFrames, MalformedBytesAreRefused) {
  cef_ipc::Frame frame;
  frame.kind = cef_ipc::Kind::kMessageToBrowser;
  frame.message = CefProcessMessage::Create("m");
  frame.message->GetArgumentList()->SetString(0, "abc");
  std::string bytes;
  ASSERT_TRUE(cef_ipc::Encode(frame, bytes));
  cef_ipc::Frame back;
  // Every truncation fails cleanly, and so does a trailing byte.
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(cef_ipc::Decode(bytes.substr(0, n), back)) << n;
  EXPECT_FALSE(cef_ipc::Decode(bytes + "x", back));
  // A list count far beyond the bytes that follow is refused before anything is allocated.
  std::string huge = bytes;
  // The list count sits before its one string value: tag, length, "abc".
  size_t count_at = huge.size() - (1 + 4 + 3) - 4;
  huge[count_at + 3] = '\x7f';
  EXPECT_FALSE(cef_ipc::Decode(huge, back));
}

TEST(IpcFrames, NestingBeyondTheLimitIsRefused) {
  cef_ipc::Frame frame;
  frame.kind = cef_ipc::Kind::kRenderThreadCreated;
  std::string bytes;
  frame.list = Nested(cef_ipc::kMaxListDepth);
  EXPECT_TRUE(cef_ipc::Encode(frame, bytes));
  frame.list = Nested(cef_ipc::kMaxListDepth + 1);
  EXPECT_FALSE(cef_ipc::Encode(frame, bytes));
}

}  // namespace
