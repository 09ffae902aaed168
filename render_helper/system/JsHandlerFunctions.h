// The native functions of the page's jsHandler object that read or change system facts, one
// function per script function. None of them throws: on any failure each gives a fixed answer.
#ifndef QUORVEX_RENDERHELPER_JSHANDLERFUNCTIONS_H
#define QUORVEX_RENDERHELPER_JSHANDLERFUNCTIONS_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {
namespace jshandler {

// "clearCache": adds the cache-clearing marker to the preference file, which must exist already;
// echoes the file's first line to standard output.
void ClearCache() noexcept;

// "getAppVersion": the bundle version, "1.0.0.0" when there is none.
std::string GetAppVersion() noexcept;

// "getKeyBoardLocale": the name of the keyboard layout in use ("US" should the query fail).
std::string GetKeyBoardLocale() noexcept;

// "getKeyboardLayout": the key layout export ("[]" should the query fail).
std::string GetKeyboardLayout() noexcept;

} // namespace jshandler
}}}} // namespace quorvex::lumora::client::renderhelper

#endif
