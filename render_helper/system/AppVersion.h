// The application version as "getAppVersion" hands it to the page.
#ifndef QUORVEX_RENDERHELPER_APPVERSION_H
#define QUORVEX_RENDERHELPER_APPVERSION_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The version the page sees for a bundle version: "1.0.0.0" when the bundle has none, otherwise
// the bundle version itself, up to its first zero byte.
std::string AppVersionForPage(const std::string& bundleVersion);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
