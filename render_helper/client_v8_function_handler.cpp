#include "client_v8_function_handler.h"

#include "JsHandlerFunctions.h"
#include "include/cef_process_message.h"

namespace jshandler = quorvex::lumora::client::renderhelper::jshandler;

namespace {

const char kSilverlightLoadedMessage[] = "silverlightLoaded";

}  // namespace

ClientV8FunctionHandler::ClientV8FunctionHandler(CefRefPtr<CefBrowser> browser)
    : browser_(browser) {}

bool ClientV8FunctionHandler::Execute(const CefString& name, CefRefPtr<CefV8Value> /*object*/,
                                      const CefV8ValueList& /*arguments*/,
                                      CefRefPtr<CefV8Value>& retval, CefString& /*exception*/) {
  // The script engine calls in from C frames that an exception must not unwind through; should
  // memory run out, the page gets undefined instead.
  try {
    return Dispatch(name, retval);
  } catch (...) {
    retval = NULL;
    return true;
  }
}

bool ClientV8FunctionHandler::Dispatch(const CefString& name, CefRefPtr<CefV8Value>& retval) {
  if (name == "clearCache") {
    jshandler::ClearCache();
    return true;
  }
  if (name == "getKeyBoardLocale") {
    retval = CefV8Value::CreateString(jshandler::GetKeyBoardLocale());
    return true;
  }
  if (name == "getKeyboardLayout") {
    retval = CefV8Value::CreateString(jshandler::GetKeyboardLayout());
    return true;
  }
  if (name == "getAppVersion") {
    retval = CefV8Value::CreateString(jshandler::GetAppVersion());
    return true;
  }
  if (name == "showAbout") return true;
  if (name == "silverlightLoaded") {
    NotifySilverlightLoaded();
    return true;
  }
  return false;
}

void ClientV8FunctionHandler::NotifySilverlightLoaded() {
  if (!browser_) return;
  // Whether the browser process got it is not the page's concern.
  browser_->SendProcessMessage(PID_BROWSER, CefProcessMessage::Create(kSilverlightLoadedMessage));
}
