#ifndef CEF_INCLUDE_CEF_RESOURCE_BUNDLE_HANDLER_H_
#define CEF_INCLUDE_CEF_RESOURCE_BUNDLE_HANDLER_H_

#include <cstddef>

#include "include/cef_base.h"

// Supplies localized strings and data resources in place of the built-in ones.
class CefResourceBundleHandler : public virtual CefBase {
 public:
  virtual bool GetLocalizedString(int message_id, CefString& string) = 0;
  virtual bool GetDataResource(int resource_id, void*& data, size_t& data_size) = 0;
};

#endif  // CEF_INCLUDE_CEF_RESOURCE_BUNDLE_HANDLER_H_
