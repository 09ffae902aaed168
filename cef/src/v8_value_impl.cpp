#include "v8_value_impl.h"

#include <cmath>
#include <string>
#include <utility>

#include "script/JsString.h"
#include "v8_context_impl.h"
#include "v8_exception_impl.h"

namespace cef_stand_in {
namespace {

bool IsExact(double value, double low, double high) {
  // -0 is not an integer to the engine: it cannot round-trip through an integer type.
  return value >= low && value <= high && std::trunc(value) == value &&
         !(value == 0 && std::signbit(value));
}

// ECMAScript ToUint32: modulo 2^32, NaN and infinities to 0.
uint32_t ToUint32(double value) {
  if (!std::isfinite(value)) return 0;
  double m = std::fmod(std::trunc(value), 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<uint32_t>(m);
}

using script::JsString;

}  // namespace

CefRefPtr<V8ValueImpl> V8ValueImpl::Bool(bool value) {
  CefRefPtr<V8ValueImpl> v = new V8ValueImpl(kBool);
  v->bool_value_ = value;
  return v;
}

CefRefPtr<V8ValueImpl> V8ValueImpl::Number(double value) {
  CefRefPtr<V8ValueImpl> v = new V8ValueImpl(kNumber);
  v->number_ = value;
  return v;
}

CefRefPtr<V8ValueImpl> V8ValueImpl::String(const CefString& value) {
  CefRefPtr<V8ValueImpl> v = new V8ValueImpl(kString);
  v->string_ = value;
  return v;
}

CefRefPtr<V8ValueImpl> V8ValueImpl::Object(std::shared_ptr<ScriptEngine> engine,
                                           JSObjectRef object, CefRefPtr<V8ContextImpl> context,
                                           bool is_array, bool is_function) {
  CefRefPtr<V8ValueImpl> v = new V8ValueImpl(kObject);
  engine->Protect(object);
  v->engine_ = std::move(engine);
  v->object_ = object;
  v->context_ = context;
  v->is_array_ = is_array;
  v->is_function_ = is_function;
  return v;
}

V8ValueImpl::~V8ValueImpl() {
  if (engine_ && object_) engine_->Unprotect(object_);
}

bool V8ValueImpl::IsValid() {
  if (kind_ != kObject) return true;
  return engine_ && engine_->alive() && (!context_ || context_->IsValid());
}

bool V8ValueImpl::IsInt() { return kind_ == kNumber && IsExact(number_, -2147483648.0, 2147483647.0); }

bool V8ValueImpl::IsUInt() { return kind_ == kNumber && IsExact(number_, 0, 4294967295.0); }

int32 V8ValueImpl::GetIntValue() {
  return kind_ == kNumber ? static_cast<int32>(ToUint32(number_)) : 0;
}

uint32 V8ValueImpl::GetUIntValue() { return kind_ == kNumber ? ToUint32(number_) : 0; }

bool V8ValueImpl::IsSame(CefRefPtr<CefV8Value> that) {
  V8ValueImpl* other = static_cast<V8ValueImpl*>(that.get());
  if (!other || other->kind_ != kind_) return false;
  switch (kind_) {
    case kUndefined:
    case kNull:
      return true;
    case kBool:
      return bool_value_ == other->bool_value_;
    case kNumber:
      return number_ == other->number_;
    case kString:
      return string_ == other->string_;
    case kObject:
      if (!IsValid() || !other->IsValid()) return false;
      return JSValueIsStrictEqual(engine_->root(), object_, other->object_);
    default:
      return false;
  }
}

CefRefPtr<CefV8Exception> V8ValueImpl::GetException() { return exception_; }

bool V8ValueImpl::ClearException() {
  exception_ = NULL;
  return true;
}

JSContextRef V8ValueImpl::ObjectContext() {
  if (kind_ != kObject || !IsValid()) return nullptr;
  return context_ ? context_->ctx() : engine_->root();
}

bool V8ValueImpl::TakeException(JSContextRef ctx, JSValueRef thrown) {
  if (!thrown) return false;
  exception_ = engine_->CaptureException(ctx, thrown);
  return true;
}

bool V8ValueImpl::HasValue(const CefString& key) {
  JSContextRef ctx = ObjectContext();
  return ctx && JSObjectHasProperty(ctx, object_, JsString::fromUtf16(key.ToString16()).get());
}

bool V8ValueImpl::HasValue(int index) {
  JSContextRef ctx = ObjectContext();
  if (!ctx || index < 0) return false;
  return JSObjectHasProperty(ctx, object_, JsString::fromUtf8(std::to_string(index)).get());
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(const CefString& key) {
  JSContextRef ctx = ObjectContext();
  if (!ctx) return NULL;
  JSValueRef thrown = nullptr;
  JSValueRef value =
      JSObjectGetProperty(ctx, object_, JsString::fromUtf16(key.ToString16()).get(), &thrown);
  if (TakeException(ctx, thrown)) return NULL;
  return engine_->Wrap(ctx, value, context_.get());
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(int index) {
  JSContextRef ctx = ObjectContext();
  if (!ctx || index < 0) return NULL;
  JSValueRef thrown = nullptr;
  JSValueRef value = JSObjectGetPropertyAtIndex(ctx, object_, static_cast<unsigned>(index), &thrown);
  if (TakeException(ctx, thrown)) return NULL;
  return engine_->Wrap(ctx, value, context_.get());
}

bool V8ValueImpl::SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                           PropertyAttribute attribute) {
  JSContextRef ctx = ObjectContext();
  if (!ctx || !value) return false;
  JsString name = JsString::fromUtf16(key.ToString16());
  if (attribute == V8_PROPERTY_ATTRIBUTE_NONE) return Write(ctx, name.value(ctx), value);
  if (!context_ || !context_->define_property()) return false;
  // With attributes the property is defined, replacing one that is there, as the framework does.
  JSValueRef thrown = nullptr;
  JSObjectRef descriptor = JSObjectMake(ctx, nullptr, nullptr);
  const std::pair<const char*, bool> flags[] = {
      {"writable", !(attribute & V8_PROPERTY_ATTRIBUTE_READONLY)},
      {"enumerable", !(attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM)},
      {"configurable", !(attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE)}};
  for (const auto& flag : flags)
    JSObjectSetProperty(ctx, descriptor, JsString::fromUtf8(flag.first).get(),
                        JSValueMakeBoolean(ctx, flag.second), kJSPropertyAttributeNone, nullptr);
  JSObjectSetProperty(ctx, descriptor, JsString::fromUtf8("value").get(),
                      engine_->ValueOf(ctx, value), kJSPropertyAttributeNone, nullptr);
  const JSValueRef arguments[] = {object_, name.value(ctx), descriptor};
  JSObjectCallAsFunction(ctx, context_->define_property(), nullptr, 3, arguments, &thrown);
  return !TakeException(ctx, thrown);
}

bool V8ValueImpl::SetValue(int index, CefRefPtr<CefV8Value> value) {
  JSContextRef ctx = ObjectContext();
  if (!ctx || !value || index < 0) return false;
  return Write(ctx, JSValueMakeNumber(ctx, index), value);
}

bool V8ValueImpl::Write(JSContextRef ctx, JSValueRef key, CefRefPtr<CefV8Value> value) {
  if (!context_ || !context_->reflect_set()) return false;
  const JSValueRef arguments[] = {object_, key, engine_->ValueOf(ctx, value)};
  JSValueRef thrown = nullptr;
  JSValueRef written =
      JSObjectCallAsFunction(ctx, context_->reflect_set(), nullptr, 3, arguments, &thrown);
  return !TakeException(ctx, thrown) && JSValueToBoolean(ctx, written);
}

int V8ValueImpl::GetArrayLength() {
  if (!IsArray()) return 0;
  JSContextRef ctx = ObjectContext();
  if (!ctx) return 0;
  JSValueRef thrown = nullptr;
  JSValueRef length = JSObjectGetProperty(ctx, object_, JsString::fromUtf8("length").get(), &thrown);
  if (thrown || !JSValueIsNumber(ctx, length)) return 0;
  // Array lengths are unsigned 32-bit; the interface reports them as int.
  return static_cast<int>(ToUint32(JSValueToNumber(ctx, length, nullptr)));
}

CefString V8ValueImpl::GetFunctionName() {
  if (!IsFunction() || !IsValid()) return CefString();
  CefString name;
  CefRefPtr<CefV8Handler> handler;
  if (engine_->GetNativeFunction(object_, name, handler)) return name;
  CefRefPtr<CefV8Value> value = GetValue(CefString("name"));
  return value && value->IsString() ? value->GetStringValue() : CefString();
}

CefRefPtr<CefV8Handler> V8ValueImpl::GetFunctionHandler() {
  if (!IsFunction() || !IsValid()) return NULL;
  CefString name;
  CefRefPtr<CefV8Handler> handler;
  engine_->GetNativeFunction(object_, name, handler);
  return handler;
}

CefRefPtr<CefV8Value> V8ValueImpl::ExecuteFunction(CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments) {
  if (!IsFunction() || !IsValid()) return NULL;
  CefRefPtr<V8ContextImpl> context = engine_->CurrentContext();
  if (!context || !context->IsValid()) return NULL;
  JSContextRef ctx = context->ctx();
  // Without a receiver the function gets the current context's global object, as in the
  // framework, strict functions too.
  JSObjectRef receiver = nullptr;
  if (object && object->IsObject() && object->IsValid())
    receiver = static_cast<V8ValueImpl*>(object.get())->object_;
  std::vector<JSValueRef> values;
  for (const CefRefPtr<CefV8Value>& argument : arguments)
    values.push_back(engine_->ValueOf(ctx, argument));
  JSValueRef thrown = nullptr;
  JSValueRef result =
      JSObjectCallAsFunction(ctx, object_, receiver, values.size(), values.data(), &thrown);
  if (TakeException(ctx, thrown)) return NULL;
  return engine_->Wrap(ctx, result, context.get());
}

CefRefPtr<CefV8Value> V8ValueImpl::ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                              CefRefPtr<CefV8Value> object,
                                                              const CefV8ValueList& arguments) {
  if (!context || !context->Enter()) return NULL;
  CefRefPtr<CefV8Value> result = ExecuteFunction(object, arguments);
  context->Exit();
  return result;
}

}  // namespace cef_stand_in

using cef_stand_in::V8ValueImpl;

CefRefPtr<CefV8Value> CefV8Value::CreateUndefined() {
  return new V8ValueImpl(V8ValueImpl::kUndefined);
}
CefRefPtr<CefV8Value> CefV8Value::CreateNull() { return new V8ValueImpl(V8ValueImpl::kNull); }
CefRefPtr<CefV8Value> CefV8Value::CreateBool(bool value) { return V8ValueImpl::Bool(value); }
CefRefPtr<CefV8Value> CefV8Value::CreateInt(int32 value) { return V8ValueImpl::Number(value); }
CefRefPtr<CefV8Value> CefV8Value::CreateUInt(uint32 value) { return V8ValueImpl::Number(value); }
CefRefPtr<CefV8Value> CefV8Value::CreateDouble(double value) { return V8ValueImpl::Number(value); }
CefRefPtr<CefV8Value> CefV8Value::CreateString(const CefString& value) {
  return V8ValueImpl::String(value);
}

namespace {

// Objects are made in the current context.
template <typename MakeFn>
CefRefPtr<CefV8Value> CreateInCurrentContext(MakeFn make) {
  std::shared_ptr<cef_stand_in::ScriptEngine> engine = cef_stand_in::ScriptEngine::Current();
  if (!engine || !engine->alive()) return NULL;
  CefRefPtr<cef_stand_in::V8ContextImpl> context = engine->CurrentContext();
  if (!context || !context->IsValid()) return NULL;
  JSObjectRef object = make(*engine, context.get());
  if (!object) return NULL;
  return engine->Wrap(context->ctx(), object, context.get());
}

}  // namespace

CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefV8Accessor> accessor) {
  if (accessor) return NULL;
  return CreateInCurrentContext([](cef_stand_in::ScriptEngine&, cef_stand_in::V8ContextImpl* context) {
    return JSObjectMake(context->ctx(), nullptr, nullptr);
  });
}

CefRefPtr<CefV8Value> CefV8Value::CreateArray(int length) {
  return CreateInCurrentContext(
      [length](cef_stand_in::ScriptEngine&, cef_stand_in::V8ContextImpl* context) {
        JSContextRef ctx = context->ctx();
        JSObjectRef array = JSObjectMakeArray(ctx, 0, nullptr, nullptr);
        if (array && length > 0)
          JSObjectSetProperty(ctx, array, script::JsString::fromUtf8("length").get(),
                              JSValueMakeNumber(ctx, length), kJSPropertyAttributeNone, nullptr);
        return array;
      });
}

CefRefPtr<CefV8Value> CefV8Value::CreateFunction(const CefString& name,
                                                 CefRefPtr<CefV8Handler> handler) {
  if (!handler) return NULL;
  return CreateInCurrentContext(
      [&name, &handler](cef_stand_in::ScriptEngine& engine, cef_stand_in::V8ContextImpl* context) {
        return engine.MakeNativeFunction(context, name, handler);
      });
}
