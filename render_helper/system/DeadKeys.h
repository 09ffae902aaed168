// The character a dead key shows on its cap.
//
// A dead key produces no character of its own (it waits for the next key), and libxkbcommon
// converts dead keysyms to nothing. The layout export shows the key's accent instead, as a
// keyboard viewer does.
#ifndef QUORVEX_RENDERHELPER_DEADKEYS_H
#define QUORVEX_RENDERHELPER_DEADKEYS_H

#include <xkbcommon/xkbcommon.h>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The accent that stands for a dead keysym, or 0 when the keysym is not a dead key.
char32_t DeadKeyAccent(xkb_keysym_t keysym);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
