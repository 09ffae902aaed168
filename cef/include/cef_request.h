#ifndef CEF_INCLUDE_CEF_REQUEST_H_
#define CEF_INCLUDE_CEF_REQUEST_H_

#include "include/cef_base.h"

// A navigation request.
class CefRequest : public virtual CefBase {
 public:
  virtual bool IsReadOnly() = 0;
  virtual CefString GetURL() = 0;
  virtual CefString GetMethod() = 0;
};

#endif  // CEF_INCLUDE_CEF_REQUEST_H_
