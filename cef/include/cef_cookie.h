#ifndef CEF_INCLUDE_CEF_COOKIE_H_
#define CEF_INCLUDE_CEF_COOKIE_H_

#include <vector>

#include "include/cef_base.h"

// Cookie storage shared by the browsers of the process.
class CefCookieManager : public virtual CefBase {
 public:
  static CefRefPtr<CefCookieManager> GetGlobalManager();

  // Replaces the URL schemes whose cookies are handled ("http" and "https" by default).
  virtual void SetSupportedSchemes(const std::vector<CefString>& schemes) = 0;
};

#endif  // CEF_INCLUDE_CEF_COOKIE_H_
