#ifndef CEF_SRC_V8_CONTEXT_IMPL_H_
#define CEF_SRC_V8_CONTEXT_IMPL_H_

#include <memory>
#include <string>

#include "include/cef_v8.h"
#include "script_engine.h"

namespace cef_stand_in {

class V8ContextImpl : public CefV8Context {
 public:
  // A new context with a fresh global environment.
  V8ContextImpl(std::shared_ptr<ScriptEngine> engine, CefRefPtr<CefBrowser> browser,
                CefRefPtr<CefFrame> frame);
  ~V8ContextImpl() override;

  // Ends the context: its objects and native functions stop working.
  void Invalidate();
  duk_context* thread() const { return thread_; }
  const std::shared_ptr<ScriptEngine>& engine() const { return engine_; }

  // Runs |code| as a script named |resource_name|; false with |exception| when it threw.
  bool Run(const std::string& code, const std::string& resource_name,
           CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception);

  bool IsValid() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefFrame> GetFrame() override;
  CefRefPtr<CefV8Value> GetGlobal() override;
  bool Enter() override;
  bool Exit() override;
  bool IsSame(CefRefPtr<CefV8Context> that) override { return that.get() == this; }
  bool Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
            CefRefPtr<CefV8Exception>& exception) override;

 private:
  std::shared_ptr<ScriptEngine> engine_;
  CefRefPtr<CefBrowser> browser_;
  CefRefPtr<CefFrame> frame_;
  duk_context* thread_ = nullptr;
  int thread_ref_ = 0;

  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_V8_CONTEXT_IMPL_H_
