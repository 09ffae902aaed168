// Facts about the machine that the native page functions report.
#ifndef QUORVEX_RENDERHELPER_GETSYSTEMINFO_H
#define QUORVEX_RENDERHELPER_GETSYSTEMINFO_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// Holds no state: every query reads its facts afresh. All texts are UTF-8.
class GetSystemInfo
{
public:
    // <user configuration directory>/Velorum/<GetVersion()>/preferences.log
    std::string GetPreferenceFilePath() const;

    // The version in the bundle information file beside the executable; "" when there is none.
    std::string GetVersion() const;

    // The name of the keyboard layout in use, e.g. "US" or "German".
    std::string GetKeyBoardLocale() const;

    // The key layout export of the keyboard in use.
    std::string GetKeyBoardLayout() const;
};

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
