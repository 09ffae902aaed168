#include "render_host.h"

#include <cerrno>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace shell {
namespace {

// The render process finds its end of the channel at this descriptor.
const int kChildChannelFd = 3;

std::vector<std::string> RendererArguments(const std::string& program, int fd,
                                           const std::vector<std::string>& extra_switches) {
  std::vector<std::string> arguments = {program, "--type=renderer",
                                        "--ipc-fd=" + std::to_string(fd)};
  arguments.insert(arguments.end(), extra_switches.begin(), extra_switches.end());
  return arguments;
}

std::vector<char*> Argv(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  return argv;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Starts |arguments| with |channel_fd| (when not -1) at kChildChannelFd. Returns the pid or -1.
pid_t Spawn(std::vector<std::string> arguments, int channel_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 onto another number clears close-on-exec, so the descriptor survives into the child.
  if (channel_fd >= 0) posix_spawn_file_actions_adddup2(&actions, channel_fd, kChildChannelFd);
  std::vector<char*> argv = Argv(arguments);
  pid_t pid;
  int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

}  // namespace

RenderHost::RenderHost(int channel_fd) : channel_(channel_fd) {}

RenderHost::~RenderHost() { Shutdown(); }

std::unique_ptr<RenderHost> RenderHost::Launch(const std::string& helper_path,
                                               const std::vector<std::string>& extra_switches) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
  int child_fd = fds[1];
  if (child_fd == kChildChannelFd) {
    // dup2 onto itself would keep close-on-exec: move it out of the way first.
    child_fd = fcntl(fds[1], F_DUPFD_CLOEXEC, kChildChannelFd + 1);
    close(fds[1]);
  }
  std::unique_ptr<RenderHost> host(new RenderHost(fds[0]));
  host->pid_ = child_fd < 0 ? -1 : Spawn(RendererArguments(helper_path, kChildChannelFd,
                                                           extra_switches),
                                         child_fd);
  if (child_fd >= 0) close(child_fd);
  if (host->pid_ < 0) return nullptr;
  host->running_ = true;
  if (!host->Start()) return nullptr;
  return host;
}

std::unique_ptr<RenderHost> RenderHost::StartInProcess(
    CefRefPtr<CefApp> app, const std::vector<std::string>& extra_switches) {
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
  std::unique_ptr<RenderHost> host(new RenderHost(fds[0]));
  RenderHost* raw = host.get();
  std::vector<std::string> arguments = RendererArguments("render-helper", fds[1], extra_switches);
  host->thread_ = std::thread([raw, app, arguments]() mutable {
    std::vector<char*> argv = Argv(arguments);
    raw->thread_exit_code_ =
        CefExecuteProcess(CefMainArgs(static_cast<int>(arguments.size()), argv.data()), app, NULL);
  });
  host->running_ = true;
  if (!host->Start()) return nullptr;
  return host;
}

bool RenderHost::Start() {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kRenderThreadCreated;
  request.list = CefListValue::Create();
  return Request(request).ok;
}

Result RenderHost::CreateBrowser(int browser_id) {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kBrowserCreated;
  request.browser_id = browser_id;
  return Request(request);
}

Result RenderHost::DestroyBrowser(int browser_id) {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kBrowserDestroyed;
  request.browser_id = browser_id;
  return Request(request);
}

Result RenderHost::Load(int browser_id, const std::string& script, const std::string& url,
                        const std::string& frame) {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kLoad;
  request.browser_id = browser_id;
  request.script = script;
  request.url = url;
  request.frame_name = frame;
  return Request(request);
}

Result RenderHost::Navigate(int browser_id, const std::string& script, const std::string& url,
                            const std::string& frame) {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kNavigate;
  request.browser_id = browser_id;
  request.script = script;
  request.url = url;
  request.frame_name = frame;
  return Request(request);
}

Result RenderHost::Focus(int browser_id, FocusTarget target, const std::string& frame) {
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kFocusChanged;
  request.browser_id = browser_id;
  request.focus = target;
  request.frame_name = frame;
  return Request(request);
}

Result RenderHost::SendProcessMessage(int browser_id, CefRefPtr<CefProcessMessage> message) {
  if (!message) return Result{false, "no message"};
  cef_ipc::Frame request;
  request.kind = cef_ipc::Kind::kProcessMessage;
  request.browser_id = browser_id;
  request.message = message;
  return Request(request);
}

std::vector<ReceivedMessage> RenderHost::TakeMessages() {
  std::vector<ReceivedMessage> messages;
  messages.swap(received_);
  return messages;
}

Result RenderHost::Request(cef_ipc::Frame& request) {
  request.seq = next_seq_++;
  std::string bytes;
  if (!running_) return Result{false, "render process not running"};
  if (!cef_ipc::Encode(request, bytes)) return Result{false, "lists nested too deeply"};
  if (!channel_.Send(bytes)) return Result{false, "render process gone"};
  while (channel_.Receive(bytes)) {
    cef_ipc::Frame answer;
    if (!cef_ipc::Decode(bytes, answer)) break;
    if (answer.kind == cef_ipc::Kind::kMessageToBrowser && answer.message) {
      received_.push_back(ReceivedMessage{answer.browser_id, answer.message});
    } else if (answer.kind == cef_ipc::Kind::kReply && answer.seq == request.seq) {
      return Result{answer.ok, answer.text};
    }
  }
  return Result{false, "render process gone"};
}

int RenderHost::Shutdown() {
  if (!running_) return exit_code_;
  running_ = false;
  channel_.Close();
  if (thread_.joinable()) {
    thread_.join();
    exit_code_ = thread_exit_code_;
  } else if (pid_ > 0) {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exit_code_ = ExitCodeOf(status);
    pid_ = -1;
  }
  return exit_code_;
}

int RunAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  pid_t pid = Spawn(all, -1);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return ExitCodeOf(status);
}

}  // namespace shell
