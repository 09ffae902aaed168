#ifndef CEF_SRC_COMMAND_LINE_IMPL_H_
#define CEF_SRC_COMMAND_LINE_IMPL_H_

#include <map>
#include <string>
#include <vector>

#include "include/cef_command_line.h"

namespace cef_stand_in {

class CommandLineImpl : public CefCommandLine {
 public:
  bool IsValid() override { return true; }
  bool IsReadOnly() override { return read_only_; }
  void InitFromArgv(int argc, const char* const* argv) override;
  void GetArgv(std::vector<CefString>& argv) override;
  CefString GetProgram() override { return program_; }
  void SetProgram(const CefString& program) override;
  bool HasSwitch(const CefString& name) override;
  CefString GetSwitchValue(const CefString& name) override;
  void AppendSwitch(const CefString& name) override;
  void AppendSwitchWithValue(const CefString& name, const CefString& value) override;
  void AppendArgument(const CefString& argument) override;

  void SetReadOnly() { read_only_ = true; }

 private:
  std::string program_;
  // Every argument after the program, in order, switches included.
  std::vector<std::string> arguments_;
  std::map<std::string, std::string> switches_;
  bool read_only_ = false;

  IMPLEMENT_REFCOUNTING(CommandLineImpl);
};

// Makes |command_line| the one GetGlobalCommandLine returns (empty: none).
void SetGlobalCommandLine(CefRefPtr<CefCommandLine> command_line);

}  // namespace cef_stand_in

#endif  // CEF_SRC_COMMAND_LINE_IMPL_H_
