#ifndef SHELL_RENDER_HOST_H_
#define SHELL_RENDER_HOST_H_

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

#include "include/cef_app.h"
#include "include/cef_process_message.h"
#include "ipc/channel.h"
#include "ipc/messages.h"

namespace shell {

using cef_ipc::FocusTarget;

// The answer of the render process to one request.
struct Result {
  // The request did what it asked: a page script ran without an uncaught exception, a
  // navigation was not cancelled, a process message was handled.
  bool ok;
  // Why not, e.g. "Uncaught Error: ..." or "not handled".
  std::string text;
};

struct ReceivedMessage {
  int browser_id;
  CefRefPtr<CefProcessMessage> message;
};

// The browser process's side of one render process: it starts the process, creates browsers,
// loads page scripts into frames, moves the focus and exchanges process messages with it.
// Every request waits for the render process's answer, so the messages the render process sent
// while handling it have all arrived when the call returns.
class RenderHost {
 public:
  // Starts the executable |helper_path| in the renderer role, with |extra_switches| added to its
  // command line. Empty when it cannot be started.
  static std::unique_ptr<RenderHost> Launch(const std::string& helper_path,
                                            const std::vector<std::string>& extra_switches = {});
  // Runs the render process on a thread of this process instead, with |app| as its application
  // object; for tests.
  static std::unique_ptr<RenderHost> StartInProcess(
      CefRefPtr<CefApp> app, const std::vector<std::string>& extra_switches = {});
  ~RenderHost();

  Result CreateBrowser(int browser_id);
  Result DestroyBrowser(int browser_id);
  // A new document in |frame| ("" for the main frame; other names make child frames): the old
  // document's context is released and |script| runs in a fresh one.
  Result Load(int browser_id, const std::string& script, const std::string& url,
              const std::string& frame = "");
  // As Load, but started by the page, which may cancel it.
  Result Navigate(int browser_id, const std::string& script, const std::string& url,
                  const std::string& frame = "");
  Result Focus(int browser_id, FocusTarget target, const std::string& frame = "");
  // ok: the render process handled the message.
  Result SendProcessMessage(int browser_id, CefRefPtr<CefProcessMessage> message);

  // The process messages received so far, oldest first; they are removed from the host.
  std::vector<ReceivedMessage> TakeMessages();

  // Closes the channel and waits for the render process to end. Returns its exit code (128 plus
  // the signal number when a signal ended it).
  int Shutdown();

 private:
  explicit RenderHost(int channel_fd);
  // Hands the render process its start-up information and waits until it is ready.
  bool Start();
  Result Request(cef_ipc::Frame& request);

  cef_ipc::Channel channel_;
  uint32_t next_seq_ = 1;
  std::vector<ReceivedMessage> received_;
  pid_t pid_ = -1;
  std::thread thread_;
  int thread_exit_code_ = 0;
  bool running_ = false;
  int exit_code_ = 0;
};

// Runs |program| with |arguments| and waits for it; its exit code as Shutdown reports it, or -1
// when it could not be started.
int RunAndWait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace shell

#endif  // SHELL_RENDER_HOST_H_
