#include "v8_exception_impl.h"

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

// Parses "    at NAME (FILE:LINE) flags"; frames of the engine's own code are not the page's.
bool ParseStackLine(const std::string& text, std::string& function, std::string& file,
                    int& line) {
  const std::string prefix = "    at ";
  if (text.compare(0, prefix.size(), prefix) != 0) return false;
  size_t open = text.find(" (", prefix.size());
  size_t close = text.find(')', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return false;
  if (text.find("internal", close) != std::string::npos) return false;
  function = text.substr(prefix.size(), open - prefix.size());
  std::string location = text.substr(open + 2, close - open - 2);
  size_t colon = location.rfind(':');
  if (colon == std::string::npos) return false;
  file = location.substr(0, colon);
  line = std::atoi(location.c_str() + colon + 1);
  if (function == "global" || function == "[anon]") function.clear();
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
