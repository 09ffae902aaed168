#ifndef CEF_SRC_V8_VALUE_IMPL_H_
#define CEF_SRC_V8_VALUE_IMPL_H_

#include <memory>

#include "include/cef_v8.h"
#include "script_engine.h"

namespace cef_stand_in {

class V8ContextImpl;

class V8ValueImpl : public CefV8Value {
 public:
  enum Kind { kUndefined, kNull, kBool, kNumber, kString, kObject, kOther };

  explicit V8ValueImpl(Kind kind) : kind_(kind) {}
  static CefRefPtr<V8ValueImpl> Bool(bool value);
  static CefRefPtr<V8ValueImpl> Number(double value);
  static CefRefPtr<V8ValueImpl> String(const CefString& value);
  // An object, array or function of |engine|, kept from its collector while this value lives.
  static CefRefPtr<V8ValueImpl> Object(std::shared_ptr<ScriptEngine> engine, JSObjectRef object,
                                       CefRefPtr<V8ContextImpl> context, bool is_array,
                                       bool is_function);
  ~V8ValueImpl() override;

  Kind kind() const { return kind_; }
  bool bool_value() const { return bool_value_; }
  double number_value() const { return number_; }
  const CefString& string_value() const { return string_; }
  JSObjectRef object() const { return object_; }

  bool IsValid() override;
  bool IsUndefined() override { return kind_ == kUndefined; }
  bool IsNull() override { return kind_ == kNull; }
  bool IsBool() override { return kind_ == kBool; }
  bool IsInt() override;
  bool IsUInt() override;
  bool IsDouble() override { return kind_ == kNumber; }
  bool IsString() override { return kind_ == kString; }
  bool IsObject() override { return kind_ == kObject; }
  bool IsArray() override { return kind_ == kObject && is_array_; }
  bool IsFunction() override { return kind_ == kObject && is_function_; }
  bool IsSame(CefRefPtr<CefV8Value> that) override;

  bool GetBoolValue() override { return kind_ == kBool && bool_value_; }
  int32 GetIntValue() override;
  uint32 GetUIntValue() override;
  double GetDoubleValue() override { return kind_ == kNumber ? number_ : 0; }
  CefString GetStringValue() override { return kind_ == kString ? string_ : CefString(); }

  bool HasException() override { return exception_ != nullptr; }
  CefRefPtr<CefV8Exception> GetException() override;
  bool ClearException() override;

  bool HasValue(const CefString& key) override;
  bool HasValue(int index) override;
  CefRefPtr<CefV8Value> GetValue(const CefString& key) override;
  CefRefPtr<CefV8Value> GetValue(int index) override;
  bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                PropertyAttribute attribute) override;
  bool SetValue(int index, CefRefPtr<CefV8Value> value) override;
  int GetArrayLength() override;

  CefString GetFunctionName() override;
  CefRefPtr<CefV8Handler> GetFunctionHandler() override;
  CefRefPtr<CefV8Value> ExecuteFunction(CefRefPtr<CefV8Value> object,
                                        const CefV8ValueList& arguments) override;
  CefRefPtr<CefV8Value> ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                   CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments) override;

 private:
  // The context to run a property access or call on this object in, or null when the object is
  // gone.
  JSContextRef ObjectContext();
  // Sets |key| as a script assignment does; false when it was refused (a read-only property) or
  // threw.
  bool Write(JSContextRef ctx, JSValueRef key, CefRefPtr<CefV8Value> value);
  // Keeps the thrown value as this value's exception; true when there was one.
  bool TakeException(JSContextRef ctx, JSValueRef thrown);

  Kind kind_;
  bool bool_value_ = false;
  double number_ = 0;
  CefString string_;
  std::shared_ptr<ScriptEngine> engine_;
  JSObjectRef object_ = nullptr;
  CefRefPtr<V8ContextImpl> context_;
  bool is_array_ = false;
  bool is_function_ = false;
  CefRefPtr<CefV8Exception> exception_;

  IMPLEMENT_REFCOUNTING(V8ValueImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_V8_VALUE_IMPL_H_
