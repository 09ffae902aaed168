// The keyboard layout export: which character each key shows under four modifier states, as one
// JSON array text such as [{"K":"N_0","V":"a"},{"K":"N_1","V":"s"},...].
//
// Keys are named by macOS virtual key codes 0-94 and modifier states by macOS event modifier
// flags, because that is what the pages were written against. The entries come label by label
// ("N", "S", "A", "CS"), each by ascending key code. Return, Tab, Delete, Escape, keypad Clear
// and keypad Enter are left out, and so is every key that shows nothing.
#ifndef QUORVEX_RENDERHELPER_KEYLAYOUT_H
#define QUORVEX_RENDERHELPER_KEYLAYOUT_H

#include "KeyTranslator.h"
#include "KeyboardSource.h"
#include "SystemLog.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

const size_t MODIFIER_STATE_COUNT = 6;

// The export uses the first four states; "C" and "CA" are never exported.
const size_t EXPORTED_MODIFIER_STATE_COUNT = 4;

// Modifier words, index for index with ModifiersShort: none, Shift, Option, Caps Lock + Shift,
// Caps Lock, Caps Lock + Option (with the device bits of the left or right key).
extern const uint32_t Modifiers[MODIFIER_STATE_COUNT];

// "N", "S", "A", "CS", "C", "CA".
extern const char* const ModifiersShort[MODIFIER_STATE_COUNT];

// The characters the key shows under the modifier state, at most four UTF-16 code units; "" when
// it shows none. A translation that throws is logged as "Quorvex/KeyLayout :<reason>" and gives "".
std::string createStringForKey(KeyTranslator& translator, uint16_t keyCode, uint32_t modifierState,
                               const LogSink& log);

// The same on the keyboard in use now.
std::string createStringForKey(uint16_t keyCode, uint32_t modifierState);

// The export text for the keys as the translator shows them. Every one of the 95 key codes is
// translated under each of the four states (380 translations), and one line per exported key is
// written to log. Should anything fail during the walk, the text holds the entries made so far,
// still closed with "]".
std::string GetKeyLayout(KeyTranslator& translator, const LogSink& log);

// The export for the keyboard in use now, read afresh for this call.
std::string GetKeyLayout(const KeyboardSettings& settings, const LogSink& log);

// The export for the system's keyboard, logged to the system log.
std::string GetKeyLayout();

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
