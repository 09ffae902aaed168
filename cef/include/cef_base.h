#ifndef CEF_INCLUDE_CEF_BASE_H_
#define CEF_INCLUDE_CEF_BASE_H_

#include <atomic>

#include "include/internal/cef_linux.h"
#include "include/internal/cef_ptr.h"
#include "include/internal/cef_string.h"
#include "include/internal/cef_types.h"

// Base of every reference-counted framework interface. Each object carries one count shared by
// all the interfaces it implements and deletes itself when the count drops to zero.
class CefBase {
 public:
  virtual int AddRef() = 0;
  virtual int Release() = 0;
  virtual int GetRefCt() = 0;

 protected:
  virtual ~CefBase() {}
};

// The count itself: changed atomically, since references may be taken and dropped on any thread.
class CefRefCount {
 public:
  CefRefCount() : refct_(0) {}
  int AddRef() { return ++refct_; }
  int Release() { return --refct_; }
  int GetRefCt() { return refct_; }

 private:
  std::atomic<int> refct_;
};

// Implements the three reference-counting operations of CefBase in a class.
#define IMPLEMENT_REFCOUNTING(ClassName)                  \
 public:                                                  \
  int AddRef() override { return refct_.AddRef(); }       \
  int Release() override {                                \
    int retval = refct_.Release();                        \
    if (retval == 0) delete this;                         \
    return retval;                                        \
  }                                                       \
  int GetRefCt() override { return refct_.GetRefCt(); }   \
                                                          \
 private:                                                 \
  CefRefCount refct_;

#endif  // CEF_INCLUDE_CEF_BASE_H_
