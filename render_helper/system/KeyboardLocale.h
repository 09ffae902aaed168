// The keyboard locale that "getKeyBoardLocale" reports: the name of the layout in use.
#ifndef QUORVEX_RENDERHELPER_KEYBOARDLOCALE_H
#define QUORVEX_RENDERHELPER_KEYBOARDLOCALE_H

#include "KeyboardSource.h"

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The name pages know for an XKB layout (and variant): the macOS keyboard layout name for the
// common layouts ("us" gives "US", "de" gives "German"), and otherwise the XKB name itself,
// written "layout" or "layout(variant)".
std::string KeyboardLocaleName(const std::string& layout, const std::string& variant);

// The locale name of the keyboard in use now.
std::string CurrentKeyboardLocale(const KeyboardSettings& settings);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
