#ifndef CEF_INCLUDE_CEF_APP_H_
#define CEF_INCLUDE_CEF_APP_H_

#include "include/cef_base.h"
#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_resource_bundle_handler.h"
#include "include/cef_scheme.h"

class CefApp;

// Entry point of every framework process. Without a "--type=" switch this is the browser process
// and the call returns -1 at once, leaving the work to the caller. A sub-process runs its role
// ("--type=renderer" runs the render process until the browser process closes its channel) and
// returns the exit code to use; the other sub-process roles have nothing to do and return 0.
// windows_sandbox_info is for Windows builds only (NULL elsewhere); it has no default, so a caller
// that leaves it out does not compile here either.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application,
                      void* windows_sandbox_info);

// The application's handlers for the framework.
class CefApp : public virtual CefBase {
 public:
  virtual void OnBeforeCommandLineProcessing(const CefString& /*process_type*/,
                                             CefRefPtr<CefCommandLine> /*command_line*/) {}
  virtual void OnRegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> /*registrar*/) {}
  virtual CefRefPtr<CefResourceBundleHandler> GetResourceBundleHandler() { return NULL; }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return NULL; }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return NULL; }
};

#endif  // CEF_INCLUDE_CEF_APP_H_
