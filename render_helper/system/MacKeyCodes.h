// The physical PC keys behind the page's key codes.
//
// The page names keys by the macOS virtual key codes (0 = A, 1 = S, ... 49 =
// Space, 82-92 keypad digits). Each code here stands for the key at the same place on a PC
// keyboard, as a Linux evdev key code.
#ifndef QUORVEX_RENDERHELPER_MACKEYCODES_H
#define QUORVEX_RENDERHELPER_MACKEYCODES_H

#include <cstdint>
#include <optional>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The highest key code the layout export walks.
const uint16_t LAST_EXPORTED_KEY_CODE = 94;

// The evdev key code of the key at the place of a macOS virtual key code, or nothing when a
// PC keyboard has no key there (unused codes, Fn, codes past 94).
std::optional<uint32_t> EvdevKeyForMacKeyCode(uint16_t macKeyCode);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
