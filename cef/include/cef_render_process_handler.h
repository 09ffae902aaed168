#ifndef CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_dom.h"
#include "include/cef_frame.h"
#include "include/cef_process_message.h"
#include "include/cef_request.h"
#include "include/cef_v8.h"
#include "include/cef_values.h"

// Callbacks of a render process, all on its render thread.
class CefRenderProcessHandler : public virtual CefBase {
 public:
  typedef cef_navigation_type_t NavigationType;

  virtual void OnRenderThreadCreated(CefRefPtr<CefListValue> /*extra_info*/) {}
  // The place to register script extensions.
  virtual void OnWebKitInitialized() {}
  virtual void OnBrowserCreated(CefRefPtr<CefBrowser> /*browser*/) {}
  virtual void OnBrowserDestroyed(CefRefPtr<CefBrowser> /*browser*/) {}
  // Called before a navigation that the page started; returning true cancels it.
  virtual bool OnBeforeNavigation(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                  CefRefPtr<CefRequest> /*request*/,
                                  NavigationType /*navigation_type*/, bool /*is_redirect*/) {
    return false;
  }
  // A new script context of |frame|, with every registered extension already run in it.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                CefRefPtr<CefV8Context> /*context*/) {}
  // The context of |frame| is going away (navigation or close); its values become invalid after.
  virtual void OnContextReleased(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                 CefRefPtr<CefV8Context> /*context*/) {}
  // An exception that page script did not catch; only reported when the browser process asked for
  // uncaught-exception stack traces.
  virtual void OnUncaughtException(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                   CefRefPtr<CefV8Context> /*context*/,
                                   CefRefPtr<CefV8Exception> /*exception*/,
                                   CefRefPtr<CefV8StackTrace> /*stackTrace*/) {}
  // Focus moved; |node| is empty (and |frame| too) when no node has the focus.
  virtual void OnFocusedNodeChanged(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                    CefRefPtr<CefDOMNode> /*node*/) {}
  // A message from another process; return true when it was handled.
  virtual bool OnProcessMessageReceived(CefRefPtr<CefBrowser> /*browser*/,
                                        CefProcessId /*source_process*/,
                                        CefRefPtr<CefProcessMessage> /*message*/) {
    return false;
  }
};

#endif  // CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
