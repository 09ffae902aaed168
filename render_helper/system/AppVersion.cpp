#include "AppVersion.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

const char* const DEFAULT_APP_VERSION = "1.0.0.0";

} // namespace

std::string AppVersionForPage(const std::string& bundleVersion)
{
    // The version is taken as a C text, so an embedded zero byte ends it. Short versions are not
    // padded with the tail of the default ("2.1" stays "2.1", not "2.1.0.0"), and long ones are
    // not cut to a fixed buffer.
    std::string version = bundleVersion.substr(0, bundleVersion.find('\0'));
    if (version.empty())
        return DEFAULT_APP_VERSION;
    return version;
}

}}}} // namespace quorvex::lumora::client::renderhelper
