#include "script_engine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "utf.h"
#include "v8_context_impl.h"
#include "v8_exception_impl.h"
#include "v8_value_impl.h"

namespace cef_stand_in {
namespace {

// Hidden-symbol keys (leading 0xFF byte): script cannot name them.
const char kNativeIdKey[] = "\xff" "nativeId";
const char kExtensionHolderKey[] = "\xff" "extensionHolder";

thread_local std::shared_ptr<ScriptEngine> t_current;

void FatalHandler(void*, const char* message) {
  std::fprintf(stderr, "script engine fatal error: %s\n", message ? message : "");
  std::abort();
}

std::string ToEngineString(const CefString& text) { return Utf16ToCesu8(text.ToString16()); }

CefString FromEngineString(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* data = duk_get_lstring(ctx, index, &length);
  return data ? CefString(Cesu8ToUtf16(data, length)) : CefString();
}

// Symbols are strings inside the engine, marked by a first byte that no text starts with.
bool IsSymbol(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* data = duk_get_lstring(ctx, index, &length);
  if (!data || length == 0) return false;
  unsigned char first = static_cast<unsigned char>(data[0]);
  return first == 0x80 || first == 0x81 || first == 0x82 || first == 0xFF;
}

// Protected: [thrown] → [text, lineNumber, fileName, stack]. A protected call runs on its
// caller's stack frame: the thrown value is the top one.
duk_ret_t ReadThrownValue(duk_context* ctx, void*) {
  duk_idx_t thrown = duk_get_top(ctx) - 1;
  duk_dup(ctx, thrown);
  duk_safe_to_string(ctx, -1);
  if (duk_is_object(ctx, thrown)) {
    duk_get_prop_string(ctx, thrown, "lineNumber");
    duk_get_prop_string(ctx, thrown, "fileName");
    duk_get_prop_string(ctx, thrown, "stack");
    if (!duk_is_string(ctx, -1)) duk_pop(ctx), duk_push_undefined(ctx);
  } else {
    duk_push_undefined(ctx);
    duk_push_undefined(ctx);
    duk_push_undefined(ctx);
  }
  return 4;
}

}  // namespace

ScriptEngine::ScriptEngine()
    : heap_(duk_create_heap(nullptr, nullptr, nullptr, this, FatalHandler)) {}

ScriptEngine::~ScriptEngine() { Shutdown(); }

std::shared_ptr<ScriptEngine> ScriptEngine::Current() { return t_current; }

void ScriptEngine::SetCurrent(std::shared_ptr<ScriptEngine> engine) {
  t_current = std::move(engine);
}

void ScriptEngine::Shutdown() {
  if (!heap_) return;
  duk_context* heap = heap_;
  heap_ = nullptr;
  // Handlers may hold the last references to objects whose release calls back in here: move
  // them out before letting go.
  std::map<int, NativeFunction> natives;
  natives.swap(natives_);
  duk_destroy_heap(heap);
  natives.clear();
}

int ScriptEngine::Retain(duk_context* ctx, duk_idx_t index) {
  index = duk_normalize_index(ctx, index);
  int ref;
  if (!free_refs_.empty()) {
    ref = free_refs_.back();
    free_refs_.pop_back();
  } else {
    ref = next_ref_++;
  }
  duk_push_heap_stash(ctx);
  duk_dup(ctx, index);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(ref));
  duk_pop(ctx);
  return ref;
}

void ScriptEngine::PushRef(duk_context* ctx, int ref) {
  duk_push_heap_stash(ctx);
  duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(ref));
  duk_remove(ctx, -2);
}

void ScriptEngine::Drop(int ref) {
  if (!heap_ || ref <= 0) return;
  duk_push_heap_stash(heap_);
  duk_del_prop_index(heap_, -1, static_cast<duk_uarridx_t>(ref));
  duk_pop(heap_);
  free_refs_.push_back(ref);
}

void ScriptEngine::PushNativeFunction(duk_context* ctx, const CefString& name,
                                      CefRefPtr<CefV8Handler> handler, V8ContextImpl* context) {
  int id = next_native_id_++;
  natives_[id] = NativeFunction{name, handler, context};
  duk_push_c_function(ctx, NativeTrampoline, DUK_VARARGS);
  duk_push_int(ctx, id);
  duk_put_prop_string(ctx, -2, kNativeIdKey);
  // Scripts see the name a function was created with, as for their own functions: read-only,
  // not enumerable, configurable. The inherited name is read-only, so it is defined, not set.
  duk_push_string(ctx, "name");
  std::string engine_name = ToEngineString(name);
  duk_push_lstring(ctx, engine_name.data(), engine_name.size());
  duk_def_prop(ctx, -3,
               DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_CLEAR_WRITABLE | DUK_DEFPROP_CLEAR_ENUMERABLE |
                   DUK_DEFPROP_SET_CONFIGURABLE);
}

void ScriptEngine::DropNativeFunctionsOf(V8ContextImpl* context) {
  std::vector<CefRefPtr<CefV8Handler>> released;
  for (auto it = natives_.begin(); it != natives_.end();) {
    if (it->second.context == context) {
      released.push_back(it->second.handler);
      it = natives_.erase(it);
    } else {
      ++it;
    }
  }
}

void ScriptEngine::PushExtensionHolder(duk_context* ctx) {
  duk_push_bare_object(ctx);
  duk_push_true(ctx);
  duk_put_prop_string(ctx, -2, kExtensionHolderKey);
}

bool ScriptEngine::GetNativeFunction(duk_context* ctx, duk_idx_t index, CefString& name,
                                     CefRefPtr<CefV8Handler>& handler) {
  if (!duk_is_function(ctx, index)) return false;
  duk_get_prop_string(ctx, index, kNativeIdKey);
  int id = duk_is_number(ctx, -1) ? duk_get_int(ctx, -1) : 0;
  duk_pop(ctx);
  auto it = natives_.find(id);
  if (it == natives_.end()) return false;
  name = it->second.name;
  handler = it->second.handler;
  return true;
}

void ScriptEngine::PushContext(V8ContextImpl* context, bool entered) {
  contexts_.push_back(ContextEntry{context, entered});
}

bool ScriptEngine::PopContext(V8ContextImpl* context, bool entered) {
  if (contexts_.empty() || contexts_.back().context != context ||
      contexts_.back().entered != entered)
    return false;
  contexts_.pop_back();
  return true;
}

CefRefPtr<V8ContextImpl> ScriptEngine::CurrentContext() const {
  return contexts_.empty() ? nullptr : contexts_.back().context;
}

CefRefPtr<V8ContextImpl> ScriptEngine::EnteredContext() const {
  for (auto it = contexts_.rbegin(); it != contexts_.rend(); ++it) {
    if (it->entered) return it->context;
  }
  return nullptr;
}

duk_context* ScriptEngine::ThreadFor(V8ContextImpl* context) const {
  if (!running_.empty()) return running_.back();
  return context ? context->thread() : nullptr;
}

duk_ret_t ScriptEngine::NativeTrampoline(duk_context* ctx) {
  duk_idx_t argc = duk_get_top(ctx);
  // Extension functions are found through the extension's holder object; a plain call there has
  // the global object as receiver, as everywhere else.
  duk_push_this(ctx);
  if (duk_is_null_or_undefined(ctx, -1) ||
      (duk_is_object(ctx, -1) && duk_has_prop_string(ctx, -1, kExtensionHolderKey))) {
    duk_pop(ctx);
    duk_push_global_object(ctx);
  }
  duk_memory_functions functions;
  duk_get_memory_functions(ctx, &functions);
  int result = static_cast<ScriptEngine*>(functions.udata)->CallNative(ctx, argc);
  // Thrown only here, after CallNative has left: a throw unwinds with longjmp, which must not pass
  // over C++ frames.
  if (result < 0) return duk_throw(ctx);
  return result;
}

int ScriptEngine::CallNative(duk_context* ctx, duk_idx_t argc) {
  duk_push_current_function(ctx);
  duk_get_prop_string(ctx, -1, kNativeIdKey);
  int id = duk_get_int(ctx, -1);
  duk_pop_2(ctx);
  auto it = natives_.find(id);
  // The function's context was released: the call does nothing.
  if (it == natives_.end()) return 0;
  NativeFunction native = it->second;
  CefRefPtr<V8ContextImpl> context = native.context;

  CefV8ValueList arguments;
  for (duk_idx_t i = 0; i < argc; ++i) arguments.push_back(Wrap(ctx, i, context));
  CefRefPtr<CefV8Value> object = Wrap(ctx, argc, context);

  CefRefPtr<CefV8Value> retval;
  CefString exception;
  PushContext(context, false);
  EnterThread(ctx);
  bool handled = native.handler->Execute(native.name, object, arguments, retval, exception);
  LeaveThread();
  PopContext(context, false);

  if (handled && !exception.empty()) {
    std::string message = ToEngineString(exception);
    duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", message.c_str());
    return -1;
  }
  if (handled && retval) {
    Push(ctx, retval);
    return 1;
  }
  return 0;
}

CefRefPtr<V8ValueImpl> ScriptEngine::Wrap(duk_context* ctx, duk_idx_t index,
                                          V8ContextImpl* context) {
  switch (duk_get_type(ctx, index)) {
    case DUK_TYPE_UNDEFINED:
    case DUK_TYPE_NONE:
      return new V8ValueImpl(V8ValueImpl::kUndefined);
    case DUK_TYPE_NULL:
      return new V8ValueImpl(V8ValueImpl::kNull);
    case DUK_TYPE_BOOLEAN:
      return V8ValueImpl::Bool(duk_get_boolean(ctx, index) != 0);
    case DUK_TYPE_NUMBER:
      return V8ValueImpl::Number(duk_get_number(ctx, index));
    case DUK_TYPE_STRING:
      if (IsSymbol(ctx, index)) return new V8ValueImpl(V8ValueImpl::kOther);
      return V8ValueImpl::String(FromEngineString(ctx, index));
    default: {
      int ref = Retain(ctx, index);
      return V8ValueImpl::Object(shared_from_this(), ref, context,
                                 duk_is_array(ctx, index) != 0, duk_is_function(ctx, index) != 0);
    }
  }
}

void ScriptEngine::Push(duk_context* ctx, CefRefPtr<CefV8Value> value) {
  V8ValueImpl* impl = static_cast<V8ValueImpl*>(value.get());
  if (!impl || !impl->IsValid()) {
    duk_push_undefined(ctx);
    return;
  }
  switch (impl->kind()) {
    case V8ValueImpl::kNull:
      duk_push_null(ctx);
      break;
    case V8ValueImpl::kBool:
      duk_push_boolean(ctx, impl->bool_value());
      break;
    case V8ValueImpl::kNumber:
      duk_push_number(ctx, impl->number_value());
      break;
    case V8ValueImpl::kString: {
      std::string text = ToEngineString(impl->string_value());
      duk_push_lstring(ctx, text.data(), text.size());
      break;
    }
    case V8ValueImpl::kObject:
      PushRef(ctx, impl->ref());
      break;
    default:
      duk_push_undefined(ctx);
      break;
  }
}

CefRefPtr<V8ExceptionImpl> ScriptEngine::CaptureException(duk_context* ctx, duk_idx_t index) {
  duk_dup(ctx, index);
  std::string text = "exception";
  std::string file, stack;
  int line = 0;
  if (duk_safe_call(ctx, ReadThrownValue, nullptr, 1, 4) == DUK_EXEC_SUCCESS) {
    if (duk_is_string(ctx, -4)) text = duk_get_string(ctx, -4);
    if (duk_is_number(ctx, -3)) line = duk_get_int(ctx, -3);
    if (duk_is_string(ctx, -2)) file = duk_get_string(ctx, -2);
    if (duk_is_string(ctx, -1)) stack = duk_get_string(ctx, -1);
  }
  duk_pop_n(ctx, 4);
  std::u16string message = u"Uncaught " + Cesu8ToUtf16(text.data(), text.size());
  CefRefPtr<V8ExceptionImpl> exception = new V8ExceptionImpl(
      message, SourceLine(file, line), Cesu8ToUtf16(file.data(), file.size()), line);
  exception->SetStackText(stack);
  return exception;
}

void ScriptEngine::RememberSource(const std::string& name, const std::string& source) {
  sources_[name] = source;
}

std::string ScriptEngine::SourceLine(const std::string& name, int line) const {
  auto it = sources_.find(name);
  if (it == sources_.end() || line < 1) return std::string();
  const std::string& source = it->second;
  size_t start = 0;
  for (int i = 1; i < line; ++i) {
    start = source.find('\n', start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  size_t end = source.find('\n', start);
  return source.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace cef_stand_in
