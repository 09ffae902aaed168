#include "v8_context_impl.h"

#include "utf.h"
#include "v8_exception_impl.h"
#include "v8_value_impl.h"

namespace cef_stand_in {

V8ContextImpl::V8ContextImpl(std::shared_ptr<ScriptEngine> engine, CefRefPtr<CefBrowser> browser,
                             CefRefPtr<CefFrame> frame)
    : engine_(std::move(engine)), browser_(browser), frame_(frame) {
  duk_context* heap = engine_->heap();
  duk_push_thread_new_globalenv(heap);
  thread_ = duk_get_context(heap, -1);
  thread_ref_ = engine_->Retain(heap, -1);
  duk_pop(heap);
}

V8ContextImpl::~V8ContextImpl() { Invalidate(); }

void V8ContextImpl::Invalidate() {
  if (!thread_) return;
  engine_->DropNativeFunctionsOf(this);
  engine_->Drop(thread_ref_);
  thread_ = nullptr;
  browser_ = NULL;
  frame_ = NULL;
}

bool V8ContextImpl::IsValid() { return thread_ && engine_->alive(); }

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() { return IsValid() ? browser_ : NULL; }

CefRefPtr<CefFrame> V8ContextImpl::GetFrame() { return IsValid() ? frame_ : NULL; }

CefRefPtr<CefV8Value> V8ContextImpl::GetGlobal() {
  if (!IsValid()) return NULL;
  duk_push_global_object(thread_);
  CefRefPtr<CefV8Value> global = engine_->Wrap(thread_, -1, this);
  duk_pop(thread_);
  return global;
}

bool V8ContextImpl::Enter() {
  if (!IsValid()) return false;
  engine_->PushContext(this, true);
  return true;
}

bool V8ContextImpl::Exit() { return engine_->PopContext(this, true); }

bool V8ContextImpl::Run(const std::string& code, const std::string& resource_name,
                        CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception) {
  retval = NULL;
  exception = NULL;
  if (!IsValid() || !duk_check_stack(thread_, 4)) return false;
  engine_->RememberSource(resource_name, code);
  engine_->PushContext(this, true);
  engine_->EnterThread(thread_);
  duk_push_lstring(thread_, resource_name.data(), resource_name.size());
  bool ok = duk_pcompile_lstring_filename(thread_, 0, code.data(), code.size()) == 0 &&
            duk_pcall(thread_, 0) == DUK_EXEC_SUCCESS;
  engine_->LeaveThread();
  engine_->PopContext(this, true);
  if (ok) retval = engine_->Wrap(thread_, -1, this);
  else exception = engine_->CaptureException(thread_, -1);
  duk_pop(thread_);
  return ok;
}

bool V8ContextImpl::Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  return Run(Utf16ToCesu8(code.ToString16()), "", retval, exception);
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
