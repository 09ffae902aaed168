#include "v8_binding.h"

#include "client_v8_function_handler.h"

namespace {

// The page's native functions, in the order they are installed on the object.
const char* const kJsHandlerFunctions[] = {
    "clearCache", "getAppVersion", "getKeyBoardLocale",
    "getKeyboardLayout", "showAbout", "silverlightLoaded",
};

}  // namespace

void InitV8Binding(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> /*frame*/,
                   CefRefPtr<CefV8Value> global) {
  if (!global) return;
  CefRefPtr<CefV8Value> js_handler = CefV8Value::CreateObject(NULL);
  if (!js_handler) return;
  global->SetValue("jsHandler", js_handler, V8_PROPERTY_ATTRIBUTE_NONE);

  CefRefPtr<CefV8Handler> handler = new ClientV8FunctionHandler(browser);
  for (const char* name : kJsHandlerFunctions) {
    CefRefPtr<CefV8Value> function = CefV8Value::CreateFunction(name, handler);
    if (function) js_handler->SetValue(name, function, V8_PROPERTY_ATTRIBUTE_NONE);
  }
}
