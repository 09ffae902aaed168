#include "GetSystemInfo.h"

#include "BundleInfo.h"
#include "KeyLayout.h"
#include "KeyboardLocale.h"
#include "PreferenceFile.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

std::string GetSystemInfo::GetPreferenceFilePath() const
{
    return PreferenceFilePath(UserConfigDirectory(ProcessEnvironment()), GetVersion());
}

std::string GetSystemInfo::GetVersion() const
{
    return ReadBundleVersion(ExecutableDirectory());
}

std::string GetSystemInfo::GetKeyBoardLocale() const
{
    return CurrentKeyboardLocale(KeyboardSettings::System());
}

std::string GetSystemInfo::GetKeyBoardLayout() const
{
    return GetKeyLayout();
}

}}}} // namespace quorvex::lumora::client::renderhelper
