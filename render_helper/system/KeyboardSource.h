// Which XKB keyboard layout is in use.
//
// The layout is looked up afresh on every call, in this order: the X server named by DISPLAY
// (its rule names and the active group), the XKB_DEFAULT_* environment variables, the system
// keyboard file (/etc/default/keyboard), and finally "us". Where the lookups read from is held in
// KeyboardSettings so that tests can point them at their own environment and files.
#ifndef QUORVEX_RENDERHELPER_KEYBOARDSOURCE_H
#define QUORVEX_RENDERHELPER_KEYBOARDSOURCE_H

#include "Environment.h"

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// XKB rule names of one layout: the one in use, not the whole list of groups.
struct KeyboardNames {
    std::string rules;
    std::string model;
    std::string layout;
    std::string variant;
    std::string options;
};

struct KeyboardSettings {
    EnvironmentLookup environment;
    std::string systemKeyboardFile;

    // The process environment and /etc/default/keyboard.
    static KeyboardSettings System();
};

// The names of "us" on a standard PC keyboard: the layout used when nothing else is known or
// when the selected layout produces no characters.
KeyboardNames DefaultKeyboardNames();

// The layout named by XKB_DEFAULT_LAYOUT (and the other XKB_DEFAULT_* variables), else by the
// system keyboard file, else "us". Of a list of layouts the first one is taken, with its variant.
KeyboardNames ConfiguredKeyboardNames(const KeyboardSettings& settings);

// The item at position index of a comma-separated list, or "" when the list is shorter.
std::string ListItem(const std::string& list, size_t index);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
