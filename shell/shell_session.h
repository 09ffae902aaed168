#ifndef SHELL_SHELL_SESSION_H_
#define SHELL_SHELL_SESSION_H_

#include <map>
#include <ostream>
#include <string>

#include "render_host.h"

namespace shell {

// The command-line shell's work on one render process: reads commands, one per line, and writes
// what happened, with every process message the render process sent.
class ShellSession {
 public:
  ShellSession(RenderHost& host, std::ostream& out);

  // Creates browser 1 and loads the script file |page| into its main frame.
  bool Open(const std::string& page);
  // Runs one command; false after "quit".
  bool RunCommand(const std::string& line);

 private:
  void Report(const std::string& what, const Result& result);
  void PrintMessages();
  bool LoadFile(const std::string& path, const std::string& frame, bool navigate);

  RenderHost& host_;
  std::ostream& out_;
  int current_browser_ = 0;
  int next_browser_ = 1;
};

// Reads a whole file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& contents);

}  // namespace shell

#endif  // SHELL_SHELL_SESSION_H_
