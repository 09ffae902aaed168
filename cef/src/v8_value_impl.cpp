#include "v8_value_impl.h"

#include <cmath>
#include <string>

#include "utf.h"
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

}  // namespace

// A property read, write, test or definition, run as a protected call on [object, value?].
struct V8ValueImpl::PropertyOp {
  enum Type { kGet, kSet, kHas, kDefine } type;
  bool by_key;
  std::string key;
  duk_uarridx_t index;
  duk_uint_t define_flags;
  bool result;
  // How many values the call takes: the object, and the value to write.
  duk_idx_t nargs;

  // A protected call runs on its caller's stack frame: the object sits |nargs| from the top.
  static duk_ret_t Run(duk_context* ctx, void* udata) {
    PropertyOp* op = static_cast<PropertyOp*>(udata);
    duk_idx_t object = duk_get_top(ctx) - op->nargs;
    if (op->by_key) duk_push_lstring(ctx, op->key.data(), op->key.size());
    else duk_push_uint(ctx, op->index);
    switch (op->type) {
      case kGet:
        duk_get_prop(ctx, object);
        return 1;
      case kHas:
        op->result = duk_has_prop(ctx, object) != 0;
        return 0;
      case kSet:
        duk_dup(ctx, object + 1);
        op->result = duk_put_prop(ctx, object) != 0;
        return 0;
      case kDefine:
        duk_dup(ctx, object + 1);
        duk_def_prop(ctx, object, op->define_flags);
        op->result = true;
        return 0;
    }
    return 0;
  }
};

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

CefRefPtr<V8ValueImpl> V8ValueImpl::Object(std::shared_ptr<ScriptEngine> engine, int ref,
                                           CefRefPtr<V8ContextImpl> context, bool is_array,
                                           bool is_function) {
  CefRefPtr<V8ValueImpl> v = new V8ValueImpl(kObject);
  v->engine_ = std::move(engine);
  v->ref_ = ref;
  v->context_ = context;
  v->is_array_ = is_array;
  v->is_function_ = is_function;
  return v;
}

V8ValueImpl::~V8ValueImpl() {
  if (engine_) engine_->Drop(ref_);
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
    case kObject: {
      if (!IsValid() || !other->IsValid()) return false;
      duk_context* ctx = engine_->heap();
      engine_->PushRef(ctx, ref_);
      engine_->PushRef(ctx, other->ref_);
      bool same = duk_strict_equals(ctx, -1, -2) != 0;
      duk_pop_2(ctx);
      return same;
    }
    default:
      return false;
  }
}

CefRefPtr<CefV8Exception> V8ValueImpl::GetException() { return exception_; }

bool V8ValueImpl::ClearException() {
  exception_ = NULL;
  return true;
}

bool V8ValueImpl::RunPropertyOp(PropertyOp& op, CefRefPtr<CefV8Value> value,
                                CefRefPtr<CefV8Value>* read) {
  if (kind_ != kObject || !IsValid()) return false;
  duk_context* ctx = engine_->ThreadFor(context_.get());
  if (!ctx || !duk_check_stack(ctx, 4)) return false;
  engine_->PushRef(ctx, ref_);
  op.nargs = 1;
  if (value) {
    engine_->Push(ctx, value);
    op.nargs = 2;
  }
  // One result either way: the value read, or the error of a failed call.
  bool ok = duk_safe_call(ctx, PropertyOp::Run, &op, op.nargs, 1) == DUK_EXEC_SUCCESS;
  if (ok && read) *read = engine_->Wrap(ctx, -1, context_.get());
  if (!ok) exception_ = engine_->CaptureException(ctx, -1);
  duk_pop(ctx);
  return ok;
}

bool V8ValueImpl::HasValue(const CefString& key) {
  PropertyOp op{PropertyOp::kHas, true, Utf16ToCesu8(key.ToString16()), 0, 0, false, 1};
  return RunPropertyOp(op, NULL, nullptr) && op.result;
}

bool V8ValueImpl::HasValue(int index) {
  if (index < 0) return false;
  PropertyOp op{PropertyOp::kHas, false, std::string(), static_cast<duk_uarridx_t>(index), 0, false, 1};
  return RunPropertyOp(op, NULL, nullptr) && op.result;
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(const CefString& key) {
  PropertyOp op{PropertyOp::kGet, true, Utf16ToCesu8(key.ToString16()), 0, 0, false, 1};
  CefRefPtr<CefV8Value> result;
  RunPropertyOp(op, NULL, &result);
  return result;
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(int index) {
  if (index < 0) return NULL;
  PropertyOp op{PropertyOp::kGet, false, std::string(), static_cast<duk_uarridx_t>(index), 0, false, 1};
  CefRefPtr<CefV8Value> result;
  RunPropertyOp(op, NULL, &result);
  return result;
}

bool V8ValueImpl::SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                           PropertyAttribute attribute) {
  if (!value) return false;
  PropertyOp op{PropertyOp::kSet, true, Utf16ToCesu8(key.ToString16()), 0, 0, false, 1};
  if (attribute != V8_PROPERTY_ATTRIBUTE_NONE) {
    op.type = PropertyOp::kDefine;
    op.define_flags = DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_HAVE_WEC |
                      (attribute & V8_PROPERTY_ATTRIBUTE_READONLY ? 0 : DUK_DEFPROP_WRITABLE) |
                      (attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM ? 0 : DUK_DEFPROP_ENUMERABLE) |
                      (attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE ? 0 : DUK_DEFPROP_CONFIGURABLE);
  }
  return RunPropertyOp(op, value, nullptr) && op.result;
}

bool V8ValueImpl::SetValue(int index, CefRefPtr<CefV8Value> value) {
  if (!value || index < 0) return false;
  PropertyOp op{PropertyOp::kSet, false, std::string(), static_cast<duk_uarridx_t>(index), 0, false, 1};
  return RunPropertyOp(op, value, nullptr) && op.result;
}

int V8ValueImpl::GetArrayLength() {
  if (!IsArray() || !IsValid()) return 0;
  duk_context* ctx = engine_->heap();
  engine_->PushRef(ctx, ref_);
  // Array lengths are unsigned 32-bit; the interface reports them as int.
  int length = static_cast<int>(static_cast<uint32_t>(duk_get_length(ctx, -1)));
  duk_pop(ctx);
  return length;
}

CefString V8ValueImpl::GetFunctionName() {
  if (!IsFunction() || !IsValid()) return CefString();
  duk_context* ctx = engine_->heap();
  engine_->PushRef(ctx, ref_);
  CefString name;
  CefRefPtr<CefV8Handler> handler;
  bool native = engine_->GetNativeFunction(ctx, -1, name, handler);
  duk_pop(ctx);
  if (native) return name;
  CefRefPtr<CefV8Value> value = GetValue(CefString("name"));
  return value && value->IsString() ? value->GetStringValue() : CefString();
}

CefRefPtr<CefV8Handler> V8ValueImpl::GetFunctionHandler() {
  if (!IsFunction() || !IsValid()) return NULL;
  duk_context* ctx = engine_->heap();
  engine_->PushRef(ctx, ref_);
  CefString name;
  CefRefPtr<CefV8Handler> handler;
  engine_->GetNativeFunction(ctx, -1, name, handler);
  duk_pop(ctx);
  return handler;
}

CefRefPtr<CefV8Value> V8ValueImpl::ExecuteFunction(CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments) {
  if (!IsFunction() || !IsValid()) return NULL;
  CefRefPtr<V8ContextImpl> context = engine_->CurrentContext();
  if (!context || !context->IsValid()) return NULL;
  duk_context* ctx = engine_->ThreadFor(context.get());
  if (!duk_check_stack(ctx, static_cast<duk_idx_t>(arguments.size()) + 4)) return NULL;
  engine_->PushRef(ctx, ref_);
  // Without a receiver the function runs on the context's global object, as V8 calls it (a
  // strict-mode function sees the difference from undefined).
  if (object.get()) engine_->Push(ctx, object);
  else duk_push_global_object(ctx);
  for (const CefRefPtr<CefV8Value>& argument : arguments) engine_->Push(ctx, argument);
  engine_->EnterThread(ctx);
  bool ok = duk_pcall_method(ctx, static_cast<duk_idx_t>(arguments.size())) == DUK_EXEC_SUCCESS;
  engine_->LeaveThread();
  CefRefPtr<CefV8Value> result;
  if (ok) result = engine_->Wrap(ctx, -1, context.get());
  else exception_ = engine_->CaptureException(ctx, -1);
  duk_pop(ctx);
  return result;
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

// Objects are made in the current context, on the thread that runs script there.
template <typename PushFn>
CefRefPtr<CefV8Value> CreateInCurrentContext(PushFn push) {
  std::shared_ptr<cef_stand_in::ScriptEngine> engine = cef_stand_in::ScriptEngine::Current();
  if (!engine || !engine->alive()) return NULL;
  CefRefPtr<cef_stand_in::V8ContextImpl> context = engine->CurrentContext();
  if (!context || !context->IsValid()) return NULL;
  duk_context* ctx = engine->ThreadFor(context.get());
  if (!duk_check_stack(ctx, 4)) return NULL;
  push(*engine, ctx, context.get());
  CefRefPtr<CefV8Value> value = engine->Wrap(ctx, -1, context.get());
  duk_pop(ctx);
  return value;
}

}  // namespace

CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefV8Accessor> accessor) {
  if (accessor) return NULL;
  return CreateInCurrentContext([](cef_stand_in::ScriptEngine&, duk_context* ctx,
                                   cef_stand_in::V8ContextImpl*) { duk_push_object(ctx); });
}

CefRefPtr<CefV8Value> CefV8Value::CreateArray(int length) {
  return CreateInCurrentContext(
      [length](cef_stand_in::ScriptEngine&, duk_context* ctx, cef_stand_in::V8ContextImpl*) {
        duk_push_array(ctx);
        if (length > 0) {
          duk_push_uint(ctx, static_cast<duk_uint_t>(length));
          duk_put_prop_string(ctx, -2, "length");
        }
      });
}

CefRefPtr<CefV8Value> CefV8Value::CreateFunction(const CefString& name,
                                                 CefRefPtr<CefV8Handler> handler) {
  if (!handler) return NULL;
  return CreateInCurrentContext([&name, &handler](cef_stand_in::ScriptEngine& engine,
                                                  duk_context* ctx,
                                                  cef_stand_in::V8ContextImpl* context) {
    engine.PushNativeFunction(ctx, name, handler, context);
  });
}
