#ifndef RENDER_HELPER_V8_BINDING_H_
#define RENDER_HELPER_V8_BINDING_H_

#include "include/cef_v8.h"

// Installs the page's native functions (the "jsHandler" object) on |global| of a new context.
void InitV8Binding(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   CefRefPtr<CefV8Value> global);

#endif  // RENDER_HELPER_V8_BINDING_H_
