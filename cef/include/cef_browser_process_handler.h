#ifndef CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_command_line.h"
#include "include/cef_values.h"

// Callbacks of the browser process.
class CefBrowserProcessHandler : public virtual CefBase {
 public:
  virtual void OnContextInitialized() {}
  virtual void OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> /*command_line*/) {}
  // |extra_info| is handed to CefRenderProcessHandler::OnRenderThreadCreated of the new process.
  virtual void OnRenderProcessThreadCreated(CefRefPtr<CefListValue> /*extra_info*/) {}
};

#endif  // CEF_INCLUDE_CEF_BROWSER_PROCESS_HANDLER_H_
