#ifndef CEF_SRC_V8_EXCEPTION_IMPL_H_
#define CEF_SRC_V8_EXCEPTION_IMPL_H_

#include <string>
#include <vector>

#include "include/cef_v8.h"

namespace cef_stand_in {

class V8ExceptionImpl : public CefV8Exception {
 public:
  V8ExceptionImpl(const CefString& message, const CefString& source_line,
                  const CefString& resource_name, int line)
      : message_(message), source_line_(source_line), resource_name_(resource_name), line_(line) {}

  CefString GetMessage() override { return message_; }
  CefString GetSourceLine() override { return source_line_; }
  CefString GetScriptResourceName() override { return resource_name_; }
  int GetLineNumber() override { return line_; }

  // The call stack the engine recorded for the thrown value ("NAME@FILE:LINE:COLUMN" lines).
  void SetStackText(const std::string& stack) { stack_text_ = stack; }
  CefRefPtr<CefV8StackTrace> GetStackTrace();

 private:
  CefString message_;
  CefString source_line_;
  CefString resource_name_;
  int line_;
  std::string stack_text_;

  IMPLEMENT_REFCOUNTING(V8ExceptionImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_V8_EXCEPTION_IMPL_H_
