#include "MacKeyCodes.h"

#include <linux/input-event-codes.h>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

const uint32_t NO_KEY = KEY_RESERVED;

// Indexed by the macOS virtual key code.
//
// Code 50 is the grave accent key, left of 1 on an ANSI keyboard; on a PC that is KEY_GRAVE.
// Code 10 is the key that only ISO keyboards have (the section sign key of a Mac ISO keyboard); the
// extra ISO key of a PC keyboard sits between left Shift and Z: KEY_102ND.
const uint32_t EVDEV_KEY_BY_MAC_CODE[LAST_EXPORTED_KEY_CODE + 1] = {
    /*  0 A              */ KEY_A,
    /*  1 S              */ KEY_S,
    /*  2 D              */ KEY_D,
    /*  3 F              */ KEY_F,
    /*  4 H              */ KEY_H,
    /*  5 G              */ KEY_G,
    /*  6 Z              */ KEY_Z,
    /*  7 X              */ KEY_X,
    /*  8 C              */ KEY_C,
    /*  9 V              */ KEY_V,
    /* 10 ISO extra key  */ KEY_102ND,
    /* 11 B              */ KEY_B,
    /* 12 Q              */ KEY_Q,
    /* 13 W              */ KEY_W,
    /* 14 E              */ KEY_E,
    /* 15 R              */ KEY_R,
    /* 16 Y              */ KEY_Y,
    /* 17 T              */ KEY_T,
    /* 18 1              */ KEY_1,
    /* 19 2              */ KEY_2,
    /* 20 3              */ KEY_3,
    /* 21 4              */ KEY_4,
    /* 22 6              */ KEY_6,
    /* 23 5              */ KEY_5,
    /* 24 =              */ KEY_EQUAL,
    /* 25 9              */ KEY_9,
    /* 26 7              */ KEY_7,
    /* 27 -              */ KEY_MINUS,
    /* 28 8              */ KEY_8,
    /* 29 0              */ KEY_0,
    /* 30 ]              */ KEY_RIGHTBRACE,
    /* 31 O              */ KEY_O,
    /* 32 U              */ KEY_U,
    /* 33 [              */ KEY_LEFTBRACE,
    /* 34 I              */ KEY_I,
    /* 35 P              */ KEY_P,
    /* 36 Return         */ KEY_ENTER,
    /* 37 L              */ KEY_L,
    /* 38 J              */ KEY_J,
    /* 39 '              */ KEY_APOSTROPHE,
    /* 40 K              */ KEY_K,
    /* 41 ;              */ KEY_SEMICOLON,
    /* 42 \              */ KEY_BACKSLASH,
    /* 43 ,              */ KEY_COMMA,
    /* 44 /              */ KEY_SLASH,
    /* 45 N              */ KEY_N,
    /* 46 M              */ KEY_M,
    /* 47 .              */ KEY_DOT,
    /* 48 Tab            */ KEY_TAB,
    /* 49 Space          */ KEY_SPACE,
    /* 50 `              */ KEY_GRAVE,
    /* 51 Delete         */ KEY_BACKSPACE,
    /* 52 (unused)       */ NO_KEY,
    /* 53 Escape         */ KEY_ESC,
    /* 54 right Command  */ KEY_RIGHTMETA,
    /* 55 Command        */ KEY_LEFTMETA,
    /* 56 Shift          */ KEY_LEFTSHIFT,
    /* 57 Caps Lock      */ KEY_CAPSLOCK,
    /* 58 Option         */ KEY_LEFTALT,
    /* 59 Control        */ KEY_LEFTCTRL,
    /* 60 right Shift    */ KEY_RIGHTSHIFT,
    /* 61 right Option   */ KEY_RIGHTALT,
    /* 62 right Control  */ KEY_RIGHTCTRL,
    /* 63 Fn             */ NO_KEY,
    /* 64 F17            */ KEY_F17,
    /* 65 keypad .       */ KEY_KPDOT,
    /* 66 (unused)       */ NO_KEY,
    /* 67 keypad *       */ KEY_KPASTERISK,
    /* 68 (unused)       */ NO_KEY,
    /* 69 keypad +       */ KEY_KPPLUS,
    /* 70 (unused)       */ NO_KEY,
    /* 71 keypad Clear   */ KEY_NUMLOCK,
    /* 72 Volume Up      */ KEY_VOLUMEUP,
    /* 73 Volume Down    */ KEY_VOLUMEDOWN,
    /* 74 Mute           */ KEY_MUTE,
    /* 75 keypad /       */ KEY_KPSLASH,
    /* 76 keypad Enter   */ KEY_KPENTER,
    /* 77 (unused)       */ NO_KEY,
    /* 78 keypad -       */ KEY_KPMINUS,
    /* 79 F18            */ KEY_F18,
    /* 80 F19            */ KEY_F19,
    /* 81 keypad =       */ KEY_KPEQUAL,
    /* 82 keypad 0       */ KEY_KP0,
    /* 83 keypad 1       */ KEY_KP1,
    /* 84 keypad 2       */ KEY_KP2,
    /* 85 keypad 3       */ KEY_KP3,
    /* 86 keypad 4       */ KEY_KP4,
    /* 87 keypad 5       */ KEY_KP5,
    /* 88 keypad 6       */ KEY_KP6,
    /* 89 keypad 7       */ KEY_KP7,
    /* 90 F20            */ KEY_F20,
    /* 91 keypad 8       */ KEY_KP8,
    /* 92 keypad 9       */ KEY_KP9,
    /* 93 JIS Yen        */ KEY_YEN,
    /* 94 JIS underscore */ KEY_RO,
};

} // namespace

std::optional<uint32_t> EvdevKeyForMacKeyCode(uint16_t macKeyCode)
{
    if (macKeyCode > LAST_EXPORTED_KEY_CODE)
        return std::nullopt;
    uint32_t key = EVDEV_KEY_BY_MAC_CODE[macKeyCode];
    if (key == NO_KEY)
        return std::nullopt;
    return key;
}

}}}} // namespace quorvex::lumora::client::renderhelper
