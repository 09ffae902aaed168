// The keyboard in use right now, read afresh on every call.
#ifndef QUORVEX_RENDERHELPER_CURRENTKEYBOARD_H
#define QUORVEX_RENDERHELPER_CURRENTKEYBOARD_H

#include "KeyboardSource.h"
#include "XkbKeyTranslator.h"

#include <memory>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The layout in use: the active group of the X server named by DISPLAY, else the configured one
// (environment, system keyboard file, "us").
KeyboardNames CurrentKeyboardNames(const KeyboardSettings& settings);

// A translator for the layout in use. A layout that cannot be compiled or has no characters at
// all (nothing for the export to show) is replaced by "us"; should even that fail, every key
// translates to nothing.
std::unique_ptr<XkbKeyTranslator> OpenCurrentKeyboard(const KeyboardSettings& settings);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
