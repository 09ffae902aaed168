#include "v8_context_impl.h"

#include "script/JsString.h"
#include "script/ModuleLoader.h"
#include "script/Utf.h"
#include "v8_exception_impl.h"
#include "v8_value_impl.h"

namespace cef_stand_in {

class ContextModules : public script::ModuleLoader {
 public:
  using script::ModuleLoader::ModuleLoader;
};

V8ContextImpl::V8ContextImpl(std::shared_ptr<ScriptEngine> engine, CefRefPtr<CefBrowser> browser,
                             CefRefPtr<CefFrame> frame)
    : engine_(std::move(engine)), browser_(browser), frame_(frame) {
  if (!engine_->alive()) return;
  ctx_ = JSGlobalContextCreateInGroup(engine_->group(), nullptr);
  define_property_ = Builtin("Object.defineProperty");
  reflect_set_ = Builtin("Reflect.set");
  engine_->AddContext(this);
}

JSObjectRef V8ContextImpl::Builtin(const char* expression) {
  JSValueRef value = JSEvaluateScript(ctx_, script::JsString::fromUtf8(expression).get(), nullptr,
                                      nullptr, 1, nullptr);
  if (!value || !JSValueIsObject(ctx_, value)) return nullptr;
  JSObjectRef object = JSValueToObject(ctx_, value, nullptr);
  engine_->Protect(object);
  return object;
}

V8ContextImpl::~V8ContextImpl() { Invalidate(); }

void V8ContextImpl::Invalidate() {
  if (!ctx_) return;
  engine_->RemoveContext(this);
  engine_->DropNativeFunctionsOf(this);
  modules_.reset();
  for (JSObjectRef* builtin : {&define_property_, &reflect_set_}) {
    if (*builtin) engine_->Unprotect(*builtin);
    *builtin = nullptr;
  }
  JSGlobalContextRelease(ctx_);
  ctx_ = nullptr;
  browser_ = NULL;
  frame_ = NULL;
}

bool V8ContextImpl::IsValid() { return ctx_ && engine_->alive(); }

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() { return IsValid() ? browser_ : NULL; }

CefRefPtr<CefFrame> V8ContextImpl::GetFrame() { return IsValid() ? frame_ : NULL; }

CefRefPtr<CefV8Value> V8ContextImpl::GetGlobal() {
  if (!IsValid()) return NULL;
  return engine_->Wrap(ctx_, JSContextGetGlobalObject(ctx_), this);
}

bool V8ContextImpl::Enter() {
  if (!IsValid()) return false;
  engine_->PushContext(this, true);
  return true;
}

bool V8ContextImpl::Exit() { return engine_->PopContext(this, true); }

bool V8ContextImpl::Run(const std::string& code, const std::string& resource_name,
                        CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception) {
  return Run(script::utf8ToUtf16(code), resource_name, retval, exception);
}

bool V8ContextImpl::Run(const std::u16string& code, const std::string& resource_name,
                        CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception) {
  retval = NULL;
  exception = NULL;
  if (!IsValid()) return false;
  // Held for the call: the script may release this context (a navigation from a handler).
  CefRefPtr<V8ContextImpl> self = this;
  JSGlobalContextRef ctx = JSGlobalContextRetain(ctx_);
  engine_->RememberSource(resource_name, script::utf16ToUtf8(code));
  engine_->PushContext(this, true);
  JSValueRef thrown = nullptr;
  JSValueRef result = JSEvaluateScript(ctx, script::JsString::fromUtf16(code).get(), nullptr,
                                       script::JsString::fromUtf8(resource_name).get(), 1, &thrown);
  engine_->PopContext(this, true);
  if (thrown) exception = engine_->CaptureException(ctx, thrown);
  else retval = engine_->Wrap(ctx, result, this);
  JSGlobalContextRelease(ctx);
  return !thrown;
}

bool V8ContextImpl::RunModule(const std::string& code, const std::string& path,
                              CefRefPtr<CefV8Exception>& exception) {
  exception = NULL;
  if (!IsValid()) return false;
  CefRefPtr<V8ContextImpl> self = this;
  JSGlobalContextRef ctx = JSGlobalContextRetain(ctx_);
  engine_->RememberSource(path, code);
  if (!modules_) modules_ = std::make_unique<ContextModules>(ctx_);
  engine_->PushContext(this, true);
  JSValueRef thrown = nullptr;
  modules_->run(code, path, &thrown);
  engine_->PopContext(this, true);
  if (thrown) exception = engine_->CaptureException(ctx, thrown);
  JSGlobalContextRelease(ctx);
  return !thrown;
}

bool V8ContextImpl::Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  return Run(code.ToString16(), "", retval, exception);
}

}  // namespace cef_stand_in

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  std::shared_ptr<cef_stand_in::ScriptEngine> engine = cef_stand_in::ScriptEngine::Current();
  return engine ? engine->CurrentContext().get() : NULL;
}

CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() {
  std::shared_ptr<cef_stand_in::ScriptEngine> engine = cef_stand_in::ScriptEngine::Current();
  return engine ? engine->EnteredContext().get() : NULL;
}

bool CefV8Context::InContext() {
  std::shared_ptr<cef_stand_in::ScriptEngine> engine = cef_stand_in::ScriptEngine::Current();
  return engine && engine->CurrentContext();
}
