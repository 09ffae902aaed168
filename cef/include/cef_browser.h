#ifndef CEF_INCLUDE_CEF_BROWSER_H_
#define CEF_INCLUDE_CEF_BROWSER_H_

#include "include/cef_base.h"
#include "include/cef_process_message.h"

class CefFrame;

// A browser as a render process sees it.
class CefBrowser : public virtual CefBase {
 public:
  // Unique within the browser process; the same in every process.
  virtual int GetIdentifier() = 0;
  virtual bool IsSame(CefRefPtr<CefBrowser> that) = 0;
  virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
  // Sends a copy of |message| to |target_process|. From a render process only PID_BROWSER is a
  // target. Returns false when the message could not be sent.
  virtual bool SendProcessMessage(CefProcessId target_process,
                                  CefRefPtr<CefProcessMessage> message) = 0;
};

#endif  // CEF_INCLUDE_CEF_BROWSER_H_
