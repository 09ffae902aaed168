// ClientV8FunctionHandler called directly, as the script engine calls it, with a browser that
// records what is sent through it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client_v8_function_handler.h"

namespace {

class RecordingBrowser : public CefBrowser {
 public:
  int GetIdentifier() override { return 1; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that.get() == this; }
  CefRefPtr<CefFrame> GetMainFrame() override { return NULL; }
  bool SendProcessMessage(CefProcessId target_process,
                          CefRefPtr<CefProcessMessage> message) override {
    sent.push_back(std::to_string(target_process) + " " + message->GetName().ToString() + " " +
                   std::to_string(message->GetArgumentList()->GetSize()));
    return false;  // refused: the page must not notice
  }

  std::vector<std::string> sent;

  IMPLEMENT_REFCOUNTING(RecordingBrowser);
};

struct Call {
  CefRefPtr<CefV8Value> retval = CefV8Value::CreateBool(true);  // what was there before
  CefString exception;
  bool handled = false;
};

Call Execute(CefRefPtr<CefV8Handler> handler, const std::string& name) {
  Call call;
  CefV8ValueList arguments = {CefV8Value::CreateInt(1), CefV8Value::CreateString("x")};
  call.handled = handler->Execute(name, CefV8Value::CreateNull(), arguments, call.retval,
                                  call.exception);
  return call;
}

TEST(ClientV8FunctionHandler, HandlesTheSixNamesExactlyAsWritten) {
  CefRefPtr<RecordingBrowser> browser = new RecordingBrowser;
  CefRefPtr<CefV8Handler> handler = new ClientV8FunctionHandler(browser.get());

  // Near misses of the real names included: the page must call them in exactly these forms.
  for (const char* name : {"", "ClearCache", "getKeyboardLocale", "getKeyBoardLayout",
                           "getappversion", "silverlightloaded", "showAbout ", "jsHandler",
                           "sendMessage"}) {
    Call call = Execute(handler, name);
    EXPECT_FALSE(call.handled) << "'" << name << "'";
    ASSERT_TRUE(call.retval) << name;
    EXPECT_TRUE(call.retval->IsBool()) << "result left alone: " << name;
    EXPECT_TRUE(call.exception.empty()) << name;
  }
  EXPECT_TRUE(browser->sent.empty());

  const struct {
    const char* name;
    bool string_result;
  } known[] = {
      {"clearCache", false}, {"getKeyBoardLocale", true}, {"getKeyboardLayout", true},
      {"getAppVersion", true}, {"showAbout", false},       {"silverlightLoaded", false},
  };
  for (const auto& k : known) {
    Call call = Execute(handler, k.name);
    EXPECT_TRUE(call.handled) << k.name;
    EXPECT_TRUE(call.exception.empty()) << k.name;
    if (k.string_result) {
      ASSERT_TRUE(call.retval) << k.name;
      EXPECT_TRUE(call.retval->IsString()) << k.name;
      EXPECT_FALSE(call.retval->GetStringValue().empty()) << k.name;
    }
  }
  // One notice to the browser process, with no arguments, for the one call that sends.
  EXPECT_EQ(std::vector<std::string>{std::to_string(PID_BROWSER) + " silverlightLoaded 0"},
            browser->sent);
}

TEST(ClientV8FunctionHandler, KeepsItsBrowserAndWorksWithoutOne) {
  CefRefPtr<RecordingBrowser> browser = new RecordingBrowser;
  CefRefPtr<CefV8Handler> handler = new ClientV8FunctionHandler(browser.get());
  EXPECT_EQ(2, browser->GetRefCt());
  handler = NULL;
  EXPECT_EQ(1, browser->GetRefCt());

  CefRefPtr<CefV8Handler> detached = new ClientV8FunctionHandler(NULL);
  EXPECT_TRUE(Execute(detached, "silverlightLoaded").handled);
}

}  // namespace
