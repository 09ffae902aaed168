#include "list_conversion.h"

namespace {

bool FillList(CefRefPtr<CefV8Value> source, CefRefPtr<CefListValue> target, int depth,
              int& budget) {
  int size = source->GetArrayLength();
  if (size == 0) return true;
  // A negative size is a length past the int range.
  if (depth > kMaxListDepth || size < 0 || size > budget) return false;
  budget -= size;
  target->SetSize(size);
  for (int i = 0; i < size; ++i) {
    CefRefPtr<CefV8Value> value = source->GetValue(i);
    // A read that threw (a getter) leaves the slot null like any other unconvertible value.
    if (!value.get()) continue;
    if (value->IsArray()) {
      CefRefPtr<CefListValue> list = CefListValue::Create();
      if (!FillList(value, list, depth + 1, budget)) return false;
      target->SetList(i, list);
    } else if (value->IsString()) {
      target->SetString(i, value->GetStringValue());
    } else if (value->IsBool()) {
      target->SetBool(i, value->GetBoolValue());
    } else if (value->IsInt()) {
      target->SetInt(i, value->GetIntValue());
    } else if (value->IsDouble()) {
      target->SetDouble(i, value->GetDoubleValue());
    }
  }
  return true;
}

}  // namespace

bool SetList(CefRefPtr<CefV8Value> source, CefRefPtr<CefListValue> target) {
  int budget = kMaxListValues;
  return FillList(source, target, 1, budget);
}

void SetList(CefRefPtr<CefListValue> source, CefRefPtr<CefV8Value> target) {
  int size = static_cast<int>(source->GetSize());
  for (int i = 0; i < size; ++i) {
    CefRefPtr<CefV8Value> value;
    switch (source->GetType(i)) {
      case VTYPE_LIST: {
        CefRefPtr<CefListValue> list = source->GetList(i);
        value = CefV8Value::CreateArray(static_cast<int>(list->GetSize()));
        SetList(list, value);
        break;
      }
      case VTYPE_BOOL:
        value = CefV8Value::CreateBool(source->GetBool(i));
        break;
      case VTYPE_INT:
        value = CefV8Value::CreateInt(source->GetInt(i));
        break;
      case VTYPE_DOUBLE:
        value = CefV8Value::CreateDouble(source->GetDouble(i));
        break;
      case VTYPE_STRING:
        value = CefV8Value::CreateString(source->GetString(i));
        break;
      default:
        value = CefV8Value::CreateNull();
        break;
    }
    target->SetValue(i, value);
  }
}
