// Key translation on an XKB keymap.
//
// The key code is turned into the key at the same place on a PC keyboard, and the modifier word
// into an XKB state: Shift held, Caps Lock locked, Option as the third shift level (AltGr). Num
// Lock is always on and Shift is not held on keypad keys, so that the keypad shows its digits
// in every state, as a keyboard without Num Lock does. Only what the key cap shows is given: a
// dead key gives its accent and nothing is composed.
#ifndef QUORVEX_RENDERHELPER_XKBKEYTRANSLATOR_H
#define QUORVEX_RENDERHELPER_XKBKEYTRANSLATOR_H

#include "KeyTranslator.h"
#include "KeyboardSource.h"
#include "XkbHandles.h"

#include <memory>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// Bits of the macOS event modifier flags that change the characters of a key.
const uint32_t MODIFIER_CAPS_LOCK = 0x10000;
const uint32_t MODIFIER_SHIFT = 0x20000;
const uint32_t MODIFIER_OPTION = 0x80000;

class XkbKeyTranslator : public KeyTranslator
{
public:
    // Uses the given group (layout) of the keymap. A null keymap translates every key to "".
    XkbKeyTranslator(XkbContextHandle context, XkbKeymapHandle keymap, xkb_layout_index_t group);

    // Compiles the keymap of the named layout; nullptr when xkb-data does not know it.
    static std::unique_ptr<XkbKeyTranslator> FromNames(const KeyboardNames& names);

    std::string Translate(uint16_t keyCode, uint32_t modifierState) override;

    // Whether any key has a character on any level of the group in use.
    bool ProducesCharacters() const;

private:
    XkbContextHandle m_context;
    XkbKeymapHandle m_keymap;
    XkbStateHandle m_state;
    xkb_layout_index_t m_group;
    xkb_mod_mask_t m_shiftMask = 0;
    xkb_mod_mask_t m_capsLockMask = 0;
    xkb_mod_mask_t m_levelThreeMask = 0;
    xkb_mod_mask_t m_numLockMask = 0;
};

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
