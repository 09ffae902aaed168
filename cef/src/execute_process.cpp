#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_line_impl.h"
#include "include/cef_app.h"
#include "render_process.h"

int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application,
                      void* /*windows_sandbox_info*/) {
  CefRefPtr<cef_stand_in::CommandLineImpl> command_line = new cef_stand_in::CommandLineImpl();
  command_line->InitFromArgv(args.argc, args.argv);
  command_line->SetReadOnly();
  if (!command_line->HasSwitch("type")) return -1;
  // Only the renderer role has work here; the other roles end at once.
  if (command_line->GetSwitchValue("type").ToString() != "renderer") return 0;

  std::string fd_text = command_line->GetSwitchValue("ipc-fd").ToString();
  char* end = nullptr;
  long fd = std::strtol(fd_text.c_str(), &end, 10);
  if (fd_text.empty() || *end != '\0' || fd < 0 || fd > 65535) {
    std::fprintf(stderr, "render process: no channel to the browser process (--ipc-fd)\n");
    return 1;
  }
  cef_stand_in::SetGlobalCommandLine(command_line.get());
  int exit_code;
  {
    cef_stand_in::RenderProcess process(application, static_cast<int>(fd), command_line.get());
    exit_code = process.Run();
  }
  cef_stand_in::SetGlobalCommandLine(NULL);
  return exit_code;
}
