#include "XkbKeyTranslator.h"

#include "DeadKeys.h"
#include "MacKeyCodes.h"
#include "Utf8.h"

#include <linux/input-event-codes.h>

#include <initializer_list>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

// XKB key codes are evdev key codes shifted by 8.
const xkb_keycode_t EVDEV_TO_XKB_OFFSET = 8;

// The mask of the first modifier of the list that the keymap knows; the virtual modifier names
// come first because the real modifier behind them differs between keymaps.
xkb_mod_mask_t ModifierMask(xkb_keymap* keymap, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
        if (index != XKB_MOD_INVALID && index < 32)
            return xkb_mod_mask_t{1} << index;
    }
    return 0;
}

// The keys of the keypad; on its digits and decimal point XKB picks the character by Num Lock
// and Shift together.
bool IsKeypadKey(uint32_t evdevKey)
{
    switch (evdevKey) {
    case KEY_KP0: case KEY_KP1: case KEY_KP2: case KEY_KP3: case KEY_KP4:
    case KEY_KP5: case KEY_KP6: case KEY_KP7: case KEY_KP8: case KEY_KP9:
    case KEY_KPDOT: case KEY_KPASTERISK: case KEY_KPPLUS: case KEY_KPMINUS:
    case KEY_KPSLASH: case KEY_KPEQUAL:
        return true;
    default:
        return false;
    }
}

char32_t CharacterOfKeysym(xkb_keysym_t keysym)
{
    if (char32_t accent = DeadKeyAccent(keysym))
        return accent;
    return xkb_keysym_to_utf32(keysym);
}

void AppendCharacterOfKeysym(std::string& characters, xkb_keysym_t keysym)
{
    if (char32_t character = CharacterOfKeysym(keysym))
        AppendUtf8(characters, character);
}

} // namespace

XkbKeyTranslator::XkbKeyTranslator(XkbContextHandle context, XkbKeymapHandle keymap, xkb_layout_index_t group)
    : m_context(std::move(context)), m_keymap(std::move(keymap)), m_group(group)
{
    if (!m_keymap)
        return;
    m_state.reset(xkb_state_new(m_keymap.get()));
    m_shiftMask = ModifierMask(m_keymap.get(), {XKB_MOD_NAME_SHIFT});
    m_capsLockMask = ModifierMask(m_keymap.get(), {XKB_MOD_NAME_CAPS});
    m_levelThreeMask = ModifierMask(m_keymap.get(), {"LevelThree", "Mod5"});
    m_numLockMask = ModifierMask(m_keymap.get(), {"NumLock", XKB_MOD_NAME_NUM});
}

std::unique_ptr<XkbKeyTranslator> XkbKeyTranslator::FromNames(const KeyboardNames& names)
{
    XkbContextHandle context = NewXkbContext();
    if (!context)
        return nullptr;
    xkb_rule_names ruleNames = {names.rules.c_str(), names.model.c_str(), names.layout.c_str(),
                                names.variant.c_str(), names.options.c_str()};
    XkbKeymapHandle keymap(xkb_keymap_new_from_names(context.get(), &ruleNames, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return nullptr;
    return std::make_unique<XkbKeyTranslator>(std::move(context), std::move(keymap), 0);
}

std::string XkbKeyTranslator::Translate(uint16_t keyCode, uint32_t modifierState)
{
    std::optional<uint32_t> evdevKey = EvdevKeyForMacKeyCode(keyCode);
    if (!evdevKey || !m_state)
        return "";
    xkb_keycode_t key = *evdevKey + EVDEV_TO_XKB_OFFSET;
    if (xkb_keymap_num_layouts_for_key(m_keymap.get(), key) == 0)
        return "";

    xkb_mod_mask_t held = 0;
    // XKB makes Shift with Num Lock give the keypad's navigation keys; the macOS keyboard the
    // key codes stand for has no Num Lock, and its keypad gives the same characters with Shift.
    if ((modifierState & MODIFIER_SHIFT) && !IsKeypadKey(*evdevKey))
        held |= m_shiftMask;
    if (modifierState & MODIFIER_OPTION)
        held |= m_levelThreeMask;
    xkb_mod_mask_t locked = m_numLockMask;
    if (modifierState & MODIFIER_CAPS_LOCK)
        locked |= m_capsLockMask;
    xkb_state_update_mask(m_state.get(), held, 0, locked, 0, 0, m_group);

    std::string characters;
    const xkb_keysym_t* keysyms = nullptr;
    int count = xkb_state_key_get_syms(m_state.get(), key, &keysyms);
    if (count == 1) {
        // The single-keysym query also applies Caps Lock to letters that the key type leaves alone.
        AppendCharacterOfKeysym(characters, xkb_state_key_get_one_sym(m_state.get(), key));
    } else {
        for (int i = 0; i < count; ++i)
            AppendCharacterOfKeysym(characters, keysyms[i]);
    }
    return characters;
}

bool XkbKeyTranslator::ProducesCharacters() const
{
    if (!m_keymap)
        return false;
    xkb_keymap* keymap = m_keymap.get();
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap); ++key) {
        xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, key);
        if (layouts == 0)
            continue;
        // A key with fewer groups than the one in use wraps around, as XKB does by default.
        xkb_layout_index_t layout = m_group % layouts;
        for (xkb_level_index_t level = 0; level < xkb_keymap_num_levels_for_key(keymap, key, layout); ++level) {
            const xkb_keysym_t* keysyms = nullptr;
            int count = xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &keysyms);
            for (int i = 0; i < count; ++i) {
                if (CharacterOfKeysym(keysyms[i]) != 0)
                    return true;
            }
        }
    }
    return false;
}

}}}} // namespace quorvex::lumora::client::renderhelper
