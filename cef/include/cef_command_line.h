#ifndef CEF_INCLUDE_CEF_COMMAND_LINE_H_
#define CEF_INCLUDE_CEF_COMMAND_LINE_H_

#include <vector>

#include "include/cef_base.h"

// A process command line: the program, switches ("--name" or "--name=value") and other arguments.
class CefCommandLine : public virtual CefBase {
 public:
  static CefRefPtr<CefCommandLine> CreateCommandLine();
  // The command line of the running framework process (read-only); empty before it started.
  static CefRefPtr<CefCommandLine> GetGlobalCommandLine();

  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual void InitFromArgv(int argc, const char* const* argv) = 0;
  virtual void GetArgv(std::vector<CefString>& argv) = 0;
  virtual CefString GetProgram() = 0;
  virtual void SetProgram(const CefString& program) = 0;
  virtual bool HasSwitch(const CefString& name) = 0;
  virtual CefString GetSwitchValue(const CefString& name) = 0;
  virtual void AppendSwitch(const CefString& name) = 0;
  virtual void AppendSwitchWithValue(const CefString& name, const CefString& value) = 0;
  virtual void AppendArgument(const CefString& argument) = 0;
};

#endif  // CEF_INCLUDE_CEF_COMMAND_LINE_H_
