#include "JsHandlerFunctions.h"

#include "AppVersion.h"
#include "GetSystemInfo.h"
#include "PreferenceFile.h"

#include <iostream>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {
namespace jshandler {

// The fallbacks are short enough to be built without allocating, so they cannot fail in turn.

void ClearCache() noexcept
{
    try {
        MarkClearCacheRequest(GetSystemInfo().GetPreferenceFilePath(), std::cout);
    } catch (...) {
    }
}

std::string GetAppVersion() noexcept
{
    try {
        return AppVersionForPage(GetSystemInfo().GetVersion());
    } catch (...) {
        return "1.0.0.0";
    }
}

std::string GetKeyBoardLocale() noexcept
{
    try {
        return GetSystemInfo().GetKeyBoardLocale();
    } catch (...) {
        return "US";
    }
}

std::string GetKeyboardLayout() noexcept
{
    try {
        return GetSystemInfo().GetKeyBoardLayout();
    } catch (...) {
        return "[]";
    }
}

} // namespace jshandler
}}}} // namespace quorvex::lumora::client::renderhelper
