// The keyboard of an X server: its keymap, the group (layout) in use and that group's names.
#ifndef QUORVEX_RENDERHELPER_X11KEYBOARD_H
#define QUORVEX_RENDERHELPER_X11KEYBOARD_H

#include "KeyboardSource.h"
#include "XkbHandles.h"

#include <optional>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

struct X11Keyboard {
    // The rule names the server was set up with (_XKB_RULES_NAMES), narrowed to the active
    // group's layout and variant. When the server has no rule names, the layout is the group's
    // descriptive name.
    KeyboardNames names;
    XkbKeymapHandle keymap;
    xkb_layout_index_t group = 0;
};

// Asks the X server at display (as in $DISPLAY) for its core keyboard. Nothing when there is
// no server there or it lacks the XKB extension.
std::optional<X11Keyboard> ReadX11Keyboard(xkb_context* context, const std::string& display);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
