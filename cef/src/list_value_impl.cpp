#include "list_value_impl.h"

#include <utility>

namespace cef_stand_in {
namespace {

bool Contains(const ListData& tree, const ListData* target) {
  if (&tree == target) return true;
  for (const Value& item : tree.items) {
    if (item.type == VTYPE_LIST && Contains(*item.list_value, target)) return true;
  }
  return false;
}

}  // namespace

std::shared_ptr<ListData> DeepCopy(const ListData& source) {
  auto copy = std::make_shared<ListData>(source);
  for (Value& item : copy->items) {
    if (item.type == VTYPE_LIST) item.list_value = DeepCopy(*item.list_value);
  }
  return copy;
}

ListValueImpl::ListValueImpl()
    : data_(std::make_shared<ListData>()), owned_(false), read_only_(false) {}

ListValueImpl::ListValueImpl(std::shared_ptr<ListData> data, bool owned, bool read_only)
    : data_(std::move(data)), owned_(owned), read_only_(read_only) {}

bool ListValueImpl::IsValid() { return data_ != nullptr; }
bool ListValueImpl::IsOwned() { return data_ && owned_; }
bool ListValueImpl::IsReadOnly() { return read_only_; }

CefRefPtr<CefListValue> ListValueImpl::Copy() {
  if (!data_) return NULL;
  return new ListValueImpl(DeepCopy(*data_), false, false);
}

bool ListValueImpl::SetSize(size_t size) {
  if (!data_ || read_only_) return false;
  data_->items.resize(size);
  return true;
}

size_t ListValueImpl::GetSize() { return data_ ? data_->items.size() : 0; }

bool ListValueImpl::Clear() {
  if (!data_ || read_only_) return false;
  data_->items.clear();
  return true;
}

bool ListValueImpl::Remove(int index) {
  if (!Get(index) || read_only_) return false;
  data_->items.erase(data_->items.begin() + index);
  return true;
}

const Value* ListValueImpl::Get(int index) const {
  if (!data_ || index < 0 || static_cast<size_t>(index) >= data_->items.size()) return nullptr;
  return &data_->items[index];
}

bool ListValueImpl::Set(int index, Value value) {
  if (!data_ || read_only_ || index < 0) return false;
  if (static_cast<size_t>(index) >= data_->items.size()) data_->items.resize(index + 1);
  data_->items[index] = std::move(value);
  return true;
}

CefValueType ListValueImpl::GetType(int index) {
  const Value* v = Get(index);
  return v ? v->type : VTYPE_INVALID;
}

bool ListValueImpl::GetBool(int index) {
  const Value* v = Get(index);
  return v && v->type == VTYPE_BOOL && v->bool_value;
}

int ListValueImpl::GetInt(int index) {
  const Value* v = Get(index);
  return v && v->type == VTYPE_INT ? v->int_value : 0;
}

double ListValueImpl::GetDouble(int index) {
  const Value* v = Get(index);
  if (!v) return 0;
  if (v->type == VTYPE_DOUBLE) return v->double_value;
  if (v->type == VTYPE_INT) return v->int_value;
  return 0;
}

CefString ListValueImpl::GetString(int index) {
  const Value* v = Get(index);
  return v && v->type == VTYPE_STRING ? v->string_value : CefString();
}

CefRefPtr<CefListValue> ListValueImpl::GetList(int index) {
  const Value* v = Get(index);
  if (!v || v->type != VTYPE_LIST) return NULL;
  return new ListValueImpl(v->list_value, true, read_only_);
}

bool ListValueImpl::SetNull(int index) { return Set(index, Value()); }

bool ListValueImpl::SetBool(int index, bool value) {
  Value v;
  v.type = VTYPE_BOOL;
  v.bool_value = value;
  return Set(index, std::move(v));
}

bool ListValueImpl::SetInt(int index, int value) {
  Value v;
  v.type = VTYPE_INT;
  v.int_value = value;
  return Set(index, std::move(v));
}

bool ListValueImpl::SetDouble(int index, double value) {
  Value v;
  v.type = VTYPE_DOUBLE;
  v.double_value = value;
  return Set(index, std::move(v));
}

bool ListValueImpl::SetString(int index, const CefString& value) {
  Value v;
  v.type = VTYPE_STRING;
  v.string_value = value;
  return Set(index, std::move(v));
}

bool ListValueImpl::SetList(int index, CefRefPtr<CefListValue> value) {
  ListValueImpl* other = static_cast<ListValueImpl*>(value.get());
  if (!data_ || read_only_ || index < 0 || !other || !other->data_ || other == this) return false;
  Value v;
  v.type = VTYPE_LIST;
  if (other->owned_) {
    v.list_value = DeepCopy(*other->data_);
  } else {
    // Taking over a list that holds this one would make the list contain itself.
    if (Contains(*other->data_, data_.get())) return false;
    v.list_value = std::move(other->data_);
  }
  return Set(index, std::move(v));
}

}  // namespace cef_stand_in

CefRefPtr<CefListValue> CefListValue::Create() { return new cef_stand_in::ListValueImpl(); }
