#include <mutex>
#include <vector>

#include "include/cef_cookie.h"

namespace cef_stand_in {
namespace {

// The process's one cookie manager. No page loads resources here, so there are no cookies to
// keep; the supported schemes are only recorded.
class CookieManagerImpl : public CefCookieManager {
 public:
  CookieManagerImpl() : schemes_{"http", "https"} {}

  void SetSupportedSchemes(const std::vector<CefString>& schemes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    schemes_ = schemes;
  }

 private:
  std::mutex mutex_;
  std::vector<CefString> schemes_;

  IMPLEMENT_REFCOUNTING(CookieManagerImpl);
};

}  // namespace
}  // namespace cef_stand_in

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager() {
  static CefRefPtr<CefCookieManager>* manager =
      new CefRefPtr<CefCookieManager>(new cef_stand_in::CookieManagerImpl());
  return *manager;
}
