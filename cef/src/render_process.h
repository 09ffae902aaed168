#ifndef CEF_SRC_RENDER_PROCESS_H_
#define CEF_SRC_RENDER_PROCESS_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "browser_impl.h"
#include "extension.h"
#include "include/cef_app.h"
#include "ipc/channel.h"
#include "ipc/messages.h"
#include "script_engine.h"

namespace cef_stand_in {

// The render process: serves the browser process's requests on the render thread (the thread
// that calls Run) and calls the application's render process handler for each.
class RenderProcess {
 public:
  RenderProcess(CefRefPtr<CefApp> app, int channel_fd, CefRefPtr<CefCommandLine> command_line);
  ~RenderProcess();
  RenderProcess(const RenderProcess&) = delete;
  RenderProcess& operator=(const RenderProcess&) = delete;

  // The render process running on this thread; null elsewhere.
  static RenderProcess* Current();

  // Runs until the browser process closes the channel. Returns the exit code: 0, or 1 when the
  // channel carried something that is not a well-formed request.
  int Run();

  bool RegisterExtension(const CefString& name, const CefString& code,
                         CefRefPtr<CefV8Handler> handler);

 private:
  void Handle(const cef_ipc::Frame& request, cef_ipc::Frame& reply);
  void CreateBrowser(int id, cef_ipc::Frame& reply);
  void DestroyBrowser(CefRefPtr<BrowserImpl> browser);
  void Load(CefRefPtr<BrowserImpl> browser, const std::string& frame_name, const std::string& url,
            const std::string& script, cef_ipc::Frame& reply);
  void Navigate(CefRefPtr<BrowserImpl> browser, const cef_ipc::Frame& request,
                cef_ipc::Frame& reply);
  void ChangeFocus(CefRefPtr<BrowserImpl> browser, const cef_ipc::Frame& request,
                   cef_ipc::Frame& reply);
  void ReleaseContext(CefRefPtr<BrowserImpl> browser, CefRefPtr<FrameImpl> frame);
  CefRefPtr<V8ContextImpl> CreateContext(CefRefPtr<BrowserImpl> browser,
                                         CefRefPtr<FrameImpl> frame);
  void ReportUncaughtException(CefRefPtr<BrowserImpl> browser, CefRefPtr<FrameImpl> frame,
                               CefRefPtr<V8ContextImpl> context,
                               CefRefPtr<CefV8Exception> exception);
  void Shutdown();

  CefRefPtr<CefApp> app_;
  CefRefPtr<CefRenderProcessHandler> handler_;
  CefRefPtr<CefCommandLine> command_line_;
  std::shared_ptr<cef_ipc::Channel> channel_;
  std::shared_ptr<ScriptEngine> engine_;
  std::vector<Extension> extensions_;
  std::map<int, CefRefPtr<BrowserImpl>> browsers_;
  int64 next_frame_id_ = 1;
  bool started_ = false;
  // Whether uncaught exceptions go to OnUncaughtException, as the browser process asked.
  bool report_uncaught_ = false;
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_RENDER_PROCESS_H_
