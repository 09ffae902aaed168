#ifndef CEF_INCLUDE_CEF_VALUES_H_
#define CEF_INCLUDE_CEF_VALUES_H_

#include <cstddef>

#include "include/cef_base.h"

typedef cef_value_type_t CefValueType;

// An ordered list of values (null, bool, int, double, string, nested list).
//
// A list is either free-standing (made by Create) or owned by another object (a parent list or a
// process message). Giving a free-standing list to SetList moves it into the parent: the reference
// passed in becomes invalid. A list that is already owned is copied instead.
class CefListValue : public virtual CefBase {
 public:
  static CefRefPtr<CefListValue> Create();

  // False once the list was moved into another list.
  virtual bool IsValid() = 0;
  // True when another object owns the list.
  virtual bool IsOwned() = 0;
  // True for the lists of received process messages.
  virtual bool IsReadOnly() = 0;
  // A free-standing deep copy.
  virtual CefRefPtr<CefListValue> Copy() = 0;

  // Grows with null values or shrinks to |size| values.
  virtual bool SetSize(size_t size) = 0;
  virtual size_t GetSize() = 0;
  virtual bool Clear() = 0;
  virtual bool Remove(int index) = 0;

  virtual CefValueType GetType(int index) = 0;
  virtual bool GetBool(int index) = 0;
  virtual int GetInt(int index) = 0;
  virtual double GetDouble(int index) = 0;
  virtual CefString GetString(int index) = 0;
  // A reference to the nested list, owned by this list.
  virtual CefRefPtr<CefListValue> GetList(int index) = 0;

  // Setters grow the list when |index| lies past its end.
  virtual bool SetNull(int index) = 0;
  virtual bool SetBool(int index, bool value) = 0;
  virtual bool SetInt(int index, int value) = 0;
  virtual bool SetDouble(int index, double value) = 0;
  virtual bool SetString(int index, const CefString& value) = 0;
  virtual bool SetList(int index, CefRefPtr<CefListValue> value) = 0;
};

#endif  // CEF_INCLUDE_CEF_VALUES_H_
