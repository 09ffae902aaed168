#ifndef CEF_SRC_V8_CONTEXT_IMPL_H_
#define CEF_SRC_V8_CONTEXT_IMPL_H_

#include <memory>
#include <string>

#include "include/cef_v8.h"
#include "script_engine.h"

namespace cef_stand_in {

// The module loader of a context (script/ModuleLoader.h), kept out of this header.
class ContextModules;

class V8ContextImpl : public CefV8Context {
 public:
  // A new context with a fresh global environment.
  V8ContextImpl(std::shared_ptr<ScriptEngine> engine, CefRefPtr<CefBrowser> browser,
                CefRefPtr<CefFrame> frame);
  ~V8ContextImpl() override;

  // Ends the context: its objects and native functions stop working.
  void Invalidate();
  JSGlobalContextRef ctx() const { return ctx_; }
  // Built-ins of this context as it was made, before page script could replace them:
  // Object.defineProperty for properties with attributes, Reflect.set for writes that tell
  // whether they took.
  JSObjectRef define_property() const { return define_property_; }
  JSObjectRef reflect_set() const { return reflect_set_; }
  const std::shared_ptr<ScriptEngine>& engine() const { return engine_; }

  // Runs |code| (UTF-8, or UTF-16 as script strings hold it) as a script named |resource_name|;
  // false with |exception| when it threw. One task: the promise jobs it queued have run when it
  // returns, unless it runs inside another script.
  bool Run(const std::string& code, const std::string& resource_name,
           CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception);
  bool Run(const std::u16string& code, const std::string& resource_name,
           CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception);

  // Runs |code| as the ES module of the file |path| (script/ModuleLoader.h); false with
  // |exception| when it cannot start. Errors after its start are promise rejections.
  bool RunModule(const std::string& code, const std::string& path, CefRefPtr<CefV8Exception>& exception);

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
  JSGlobalContextRef ctx_ = nullptr;
  std::unique_ptr<ContextModules> modules_;
  JSObjectRef Builtin(const char* expression);

  JSObjectRef define_property_ = nullptr;
  JSObjectRef reflect_set_ = nullptr;

  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_V8_CONTEXT_IMPL_H_
