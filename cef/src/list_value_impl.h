#ifndef CEF_SRC_LIST_VALUE_IMPL_H_
#define CEF_SRC_LIST_VALUE_IMPL_H_

#include <memory>
#include <vector>

#include "include/cef_values.h"

namespace cef_stand_in {

struct ListData;

// One slot of a list.
struct Value {
  CefValueType type = VTYPE_NULL;
  bool bool_value = false;
  int int_value = 0;
  double double_value = 0;
  CefString string_value;
  std::shared_ptr<ListData> list_value;
};

struct ListData {
  std::vector<Value> items;
};

std::shared_ptr<ListData> DeepCopy(const ListData& source);

class ListValueImpl : public CefListValue {
 public:
  // A free-standing, empty list.
  ListValueImpl();
  // A reference to |data|; |owned| when a parent list or a message holds it.
  ListValueImpl(std::shared_ptr<ListData> data, bool owned, bool read_only);

  // The list's contents, for encoding; empty once the list was moved away.
  const std::shared_ptr<ListData>& data() const { return data_; }

  bool IsValid() override;
  bool IsOwned() override;
  bool IsReadOnly() override;
  CefRefPtr<CefListValue> Copy() override;
  bool SetSize(size_t size) override;
  size_t GetSize() override;
  bool Clear() override;
  bool Remove(int index) override;
  CefValueType GetType(int index) override;
  bool GetBool(int index) override;
  int GetInt(int index) override;
  double GetDouble(int index) override;
  CefString GetString(int index) override;
  CefRefPtr<CefListValue> GetList(int index) override;
  bool SetNull(int index) override;
  bool SetBool(int index, bool value) override;
  bool SetInt(int index, int value) override;
  bool SetDouble(int index, double value) override;
  bool SetString(int index, const CefString& value) override;
  bool SetList(int index, CefRefPtr<CefListValue> value) override;

 private:
  const Value* Get(int index) const;
  bool Set(int index, Value value);

  std::shared_ptr<ListData> data_;
  bool owned_;
  bool read_only_;

  IMPLEMENT_REFCOUNTING(ListValueImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_LIST_VALUE_IMPL_H_
