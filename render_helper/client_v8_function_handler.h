#ifndef RENDER_HELPER_CLIENT_V8_FUNCTION_HANDLER_H_
#define RENDER_HELPER_CLIENT_V8_FUNCTION_HANDLER_H_

#include "include/cef_browser.h"
#include "include/cef_v8.h"

// Runs the functions of a page's "jsHandler" object. One handler serves all the functions of one
// script context; it keeps the browser of that context so that its notices reach the browser
// process.
class ClientV8FunctionHandler : public CefV8Handler {
 public:
  explicit ClientV8FunctionHandler(CefRefPtr<CefBrowser> browser);

  // Handles the six jsHandler names and no other. Arguments and receiver are ignored; no call
  // throws into the page.
  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object,
               const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString& exception) override;

 private:
  bool Dispatch(const CefString& name, CefRefPtr<CefV8Value>& retval);
  void NotifySilverlightLoaded();

  CefRefPtr<CefBrowser> browser_;

  IMPLEMENT_REFCOUNTING(ClientV8FunctionHandler);
};

#endif  // RENDER_HELPER_CLIENT_V8_FUNCTION_HANDLER_H_
