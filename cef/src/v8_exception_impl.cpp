#include "v8_exception_impl.h"

#include <cstdlib>
#include <sstream>

namespace cef_stand_in {
namespace {

class StackFrameImpl : public CefV8StackFrame {
 public:
  StackFrameImpl(const std::string& script, const std::string& function, int line)
      : script_(script), function_(function), line_(line) {}

  bool IsValid() override { return true; }
  CefString GetScriptName() override { return script_; }
  CefString GetFunctionName() override { return function_; }
  int GetLineNumber() override { return line_; }

 private:
  CefString script_;
  CefString function_;
  int line_;

  IMPLEMENT_REFCOUNTING(StackFrameImpl);
};

class StackTraceImpl : public CefV8StackTrace {
 public:
  bool IsValid() override { return true; }
  int GetFrameCount() override { return static_cast<int>(frames_.size()); }
  CefRefPtr<CefV8StackFrame> GetFrame(int index) override {
    if (index < 0 || index >= GetFrameCount()) return NULL;
    return frames_[index];
  }
  void Add(CefRefPtr<CefV8StackFrame> frame) { frames_.push_back(frame); }

 private:
  std::vector<CefRefPtr<CefV8StackFrame>> frames_;

  IMPLEMENT_REFCOUNTING(StackTraceImpl);
};

// Parses "NAME@FILE:LINE:COLUMN"; frames of the engine's own code ("[native code]") are not the
// page's. The top level of a script and anonymous functions have no name.
bool ParseStackLine(const std::string& text, std::string& function, std::string& file,
                    int& line) {
  size_t at = text.find('@');
  if (at == std::string::npos) return false;
  std::string location = text.substr(at + 1);
  size_t column_colon = location.rfind(':');
  if (column_colon == std::string::npos) return false;
  size_t line_colon = location.rfind(':', column_colon == 0 ? 0 : column_colon - 1);
  if (line_colon == std::string::npos || line_colon == 0) return false;
  function = text.substr(0, at);
  file = location.substr(0, line_colon);
  line = std::atoi(location.c_str() + line_colon + 1);
  if (function == "global code" || function == "eval code" || function == "module code")
    function.clear();
  return true;
}

}  // namespace

CefRefPtr<CefV8StackTrace> V8ExceptionImpl::GetStackTrace() {
  CefRefPtr<StackTraceImpl> trace = new StackTraceImpl();
  std::istringstream lines(stack_text_);
  std::string text;
  while (std::getline(lines, text)) {
    std::string function, file;
    int line = 0;
    if (ParseStackLine(text, function, file, line)) trace->Add(new StackFrameImpl(file, function, line));
  }
  return trace.get();
}

}  // namespace cef_stand_in
