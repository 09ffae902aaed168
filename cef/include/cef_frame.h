#ifndef CEF_INCLUDE_CEF_FRAME_H_
#define CEF_INCLUDE_CEF_FRAME_H_

#include "include/cef_base.h"

class CefBrowser;
class CefV8Context;

// A frame of a browser: the main frame or a named child frame.
class CefFrame : public virtual CefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsMain() = 0;
  virtual CefString GetName() = 0;
  virtual int64 GetIdentifier() = 0;
  virtual CefString GetURL() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  // The frame's current script context; must be called on the render thread.
  virtual CefRefPtr<CefV8Context> GetV8Context() = 0;
};

#endif  // CEF_INCLUDE_CEF_FRAME_H_
