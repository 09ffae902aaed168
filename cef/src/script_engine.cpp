#include "script_engine.h"

#include <cmath>

#include "script/JsString.h"
#include "script/ScriptValues.h"
#include "v8_context_impl.h"
#include "v8_exception_impl.h"
#include "v8_value_impl.h"

namespace cef_stand_in {
namespace {

using script::JsString;

thread_local std::shared_ptr<ScriptEngine> t_current;

JsString ToEngineString(const CefString& text) { return JsString::fromUtf16(text.ToString16()); }

CefString FromEngineString(JSContextRef ctx, JSValueRef value) {
  return CefString(JsString::of(ctx, value, nullptr).utf16());
}

JSClassRef MakeClass(const char* name) {
  JSClassDefinition definition = kJSClassDefinitionEmpty;
  definition.className = name;
  return JSClassCreate(&definition);
}

}  // namespace

ScriptEngine::ScriptEngine()
    : group_(JSContextGroupCreate()),
      root_(JSGlobalContextCreateInGroup(group_, nullptr)),
      holder_class_(MakeClass("ExtensionNatives")) {}

ScriptEngine::~ScriptEngine() { Shutdown(); }

std::shared_ptr<ScriptEngine> ScriptEngine::Current() { return t_current; }

void ScriptEngine::SetCurrent(std::shared_ptr<ScriptEngine> engine) {
  t_current = std::move(engine);
}

void ScriptEngine::Shutdown() {
  if (!group_) return;
  // Handlers may hold the last references to objects whose release calls back in here: move
  // them out before letting go.
  std::map<int, NativeFunction> natives;
  natives.swap(natives_);
  std::set<V8ContextImpl*> contexts;
  contexts.swap(contexts_alive_);
  for (V8ContextImpl* context : contexts) context->Invalidate();
  JSGlobalContextRelease(root_);
  JSContextGroupRef group = group_;
  group_ = nullptr;
  root_ = nullptr;
  JSContextGroupRelease(group);
  JSClassRelease(holder_class_);
  by_function_.clear();
  natives.clear();
}

void ScriptEngine::Protect(JSValueRef value) {
  if (alive()) JSValueProtect(root_, value);
}

void ScriptEngine::Unprotect(JSValueRef value) {
  if (alive()) JSValueUnprotect(root_, value);
}

JSObjectRef ScriptEngine::MakeNativeFunction(V8ContextImpl* context, const CefString& name,
                                             CefRefPtr<CefV8Handler> handler) {
  // A function of the engine's own making, so that scripts see it as any native function: its
  // name (read-only, not enumerable, configurable), length 0, "[native code]" as its text. It is
  // kept until its context goes, so that its address names no other function meanwhile.
  JSObjectRef function =
      JSObjectMakeFunctionWithCallback(context->ctx(), ToEngineString(name).get(), NativeTrampoline);
  Protect(function);
  int id = next_native_id_++;
  natives_[id] = NativeFunction{name, handler, context, function};
  by_function_[function] = id;
  return function;
}

void ScriptEngine::DropNativeFunctionsOf(V8ContextImpl* context) {
  std::vector<CefRefPtr<CefV8Handler>> released;
  for (auto it = natives_.begin(); it != natives_.end();) {
    if (it->second.context == context) {
      released.push_back(it->second.handler);
      by_function_.erase(it->second.function);
      Unprotect(it->second.function);
      it = natives_.erase(it);
    } else {
      ++it;
    }
  }
}

JSObjectRef ScriptEngine::MakeExtensionHolder(JSContextRef ctx) {
  return JSObjectMake(ctx, holder_class_, nullptr);
}

bool ScriptEngine::GetNativeFunction(JSValueRef value, CefString& name,
                                     CefRefPtr<CefV8Handler>& handler) {
  if (!alive() || !JSValueIsObject(root_, value)) return false;
  auto found = by_function_.find(JSValueToObject(root_, value, nullptr));
  if (found == by_function_.end()) return false;
  const NativeFunction& native = natives_.at(found->second);
  name = native.name;
  handler = native.handler;
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

// Native functions run on the render thread, where their engine is the current one.
JSValueRef ScriptEngine::NativeTrampoline(JSContextRef ctx, JSObjectRef function,
                                          JSObjectRef receiver, size_t argc,
                                          const JSValueRef argv[], JSValueRef* exception) {
  std::shared_ptr<ScriptEngine> engine = Current();
  if (!engine || !engine->alive()) return JSValueMakeUndefined(ctx);
  auto found = engine->by_function_.find(function);
  // The function's context was released: the call does nothing.
  if (found == engine->by_function_.end()) return JSValueMakeUndefined(ctx);
  return engine->CallNative(ctx, found->second, receiver, argc, argv, exception);
}

JSValueRef ScriptEngine::CallNative(JSContextRef ctx, int id, JSObjectRef receiver, size_t argc,
                                    const JSValueRef argv[], JSValueRef* exception) {
  NativeFunction native = natives_.at(id);
  CefRefPtr<V8ContextImpl> context = native.context;

  // Extension functions are found through the extension's holder object; a plain call there has
  // the global object as receiver, as everywhere else.
  if (!receiver || JSValueIsObjectOfClass(ctx, receiver, holder_class_))
    receiver = JSContextGetGlobalObject(ctx);
  CefV8ValueList arguments;
  for (size_t i = 0; i < argc; ++i) arguments.push_back(Wrap(ctx, argv[i], context.get()));
  CefRefPtr<CefV8Value> object = Wrap(ctx, receiver, context.get());

  CefRefPtr<CefV8Value> retval;
  CefString failure;
  PushContext(context.get(), false);
  bool handled = native.handler->Execute(native.name, object, arguments, retval, failure);
  PopContext(context.get(), false);

  if (handled && !failure.empty()) {
    *exception = script::makeError(ctx, "Error", failure.ToString());
    return JSValueMakeUndefined(ctx);
  }
  if (handled && retval) return ValueOf(ctx, retval);
  return JSValueMakeUndefined(ctx);
}

CefRefPtr<V8ValueImpl> ScriptEngine::Wrap(JSContextRef ctx, JSValueRef value,
                                          V8ContextImpl* context) {
  switch (JSValueGetType(ctx, value)) {
    case kJSTypeUndefined:
      return new V8ValueImpl(V8ValueImpl::kUndefined);
    case kJSTypeNull:
      return new V8ValueImpl(V8ValueImpl::kNull);
    case kJSTypeBoolean:
      return V8ValueImpl::Bool(JSValueToBoolean(ctx, value));
    case kJSTypeNumber:
      return V8ValueImpl::Number(JSValueToNumber(ctx, value, nullptr));
    case kJSTypeString:
      return V8ValueImpl::String(FromEngineString(ctx, value));
    case kJSTypeObject: {
      JSObjectRef object = JSValueToObject(ctx, value, nullptr);
      return V8ValueImpl::Object(shared_from_this(), object, context, JSValueIsArray(ctx, value),
                                 JSObjectIsFunction(ctx, object));
    }
    case kJSTypeSymbol:
    case kJSTypeBigInt:
      break;
  }
  return new V8ValueImpl(V8ValueImpl::kOther);
}

JSValueRef ScriptEngine::ValueOf(JSContextRef ctx, CefRefPtr<CefV8Value> value) {
  V8ValueImpl* impl = static_cast<V8ValueImpl*>(value.get());
  if (!impl || !impl->IsValid()) return JSValueMakeUndefined(ctx);
  switch (impl->kind()) {
    case V8ValueImpl::kNull:
      return JSValueMakeNull(ctx);
    case V8ValueImpl::kBool:
      return JSValueMakeBoolean(ctx, impl->bool_value());
    case V8ValueImpl::kNumber:
      return JSValueMakeNumber(ctx, impl->number_value());
    case V8ValueImpl::kString:
      return ToEngineString(impl->string_value()).value(ctx);
    case V8ValueImpl::kObject:
      return impl->object();
    default:
      return JSValueMakeUndefined(ctx);
  }
}

CefRefPtr<V8ExceptionImpl> ScriptEngine::CaptureException(JSContextRef ctx, JSValueRef value) {
  std::string text = script::textOf(ctx, value, "exception");
  std::string file, stack;
  int line = 0;
  if (JSValueIsObject(ctx, value)) {
    JSObjectRef object = JSValueToObject(ctx, value, nullptr);
    file = script::stringProperty(ctx, object, "sourceURL");
    stack = script::stringProperty(ctx, object, "stack");
    double number = script::numberProperty(ctx, object, "line", 0);
    if (std::isfinite(number) && number > 0 && number < 2147483647.0) line = static_cast<int>(number);
  }
  CefRefPtr<V8ExceptionImpl> exception =
      new V8ExceptionImpl("Uncaught " + text, SourceLine(file, line), file, line);
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
