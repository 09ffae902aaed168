#include "v8_binding.h"

// The native page functions are not installed yet: pages get no "jsHandler" object for now.
void InitV8Binding(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                   CefRefPtr<CefV8Value> /*global*/) {}
