#include "DeadKeys.h"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

struct DeadKey {
    xkb_keysym_t keysym;
    char32_t accent;
};

// The spacing form of each accent where Unicode has one; accents without a spacing form are
// shown by their combining mark.
const DeadKey DEAD_KEYS[] = {
    {XKB_KEY_dead_grave, U'\u0060'},              // `
    {XKB_KEY_dead_acute, U'\u00B4'},              // ´
    {XKB_KEY_dead_circumflex, U'\u005E'},         // ^
    {XKB_KEY_dead_tilde, U'\u007E'},              // ~ (also dead_perispomeni)
    {XKB_KEY_dead_macron, U'\u00AF'},             // ¯
    {XKB_KEY_dead_breve, U'\u02D8'},              // ˘
    {XKB_KEY_dead_abovedot, U'\u02D9'},           // ˙
    {XKB_KEY_dead_diaeresis, U'\u00A8'},          // ¨
    {XKB_KEY_dead_abovering, U'\u02DA'},          // ˚
    {XKB_KEY_dead_doubleacute, U'\u02DD'},        // ˝
    {XKB_KEY_dead_caron, U'\u02C7'},              // ˇ
    {XKB_KEY_dead_cedilla, U'\u00B8'},            // ¸
    {XKB_KEY_dead_ogonek, U'\u02DB'},             // ˛
    {XKB_KEY_dead_iota, U'\u037A'},               // ͺ
    {XKB_KEY_dead_voiced_sound, U'\u309B'},       // ゛
    {XKB_KEY_dead_semivoiced_sound, U'\u309C'},   // ゜
    {XKB_KEY_dead_belowdot, U'\u0323'},           // combining dot below
    {XKB_KEY_dead_hook, U'\u0309'},               // combining hook above
    {XKB_KEY_dead_horn, U'\u031B'},               // combining horn
    {XKB_KEY_dead_stroke, U'\u002F'},             // /
    {XKB_KEY_dead_psili, U'\u1FBF'},              // ᾿ (also dead_abovecomma)
    {XKB_KEY_dead_dasia, U'\u1FFE'},              // ῾ (also dead_abovereversedcomma)
    {XKB_KEY_dead_doublegrave, U'\u02F5'},        // ˵
    {XKB_KEY_dead_belowring, U'\u02F3'},          // ˳
    {XKB_KEY_dead_belowmacron, U'\u02CD'},        // ˍ
    {XKB_KEY_dead_belowcircumflex, U'\uA788'},    // ꞈ
    {XKB_KEY_dead_belowtilde, U'\u02F7'},         // ˷
    {XKB_KEY_dead_belowbreve, U'\u032E'},         // combining breve below
    {XKB_KEY_dead_belowdiaeresis, U'\u0324'},     // combining diaeresis below
    {XKB_KEY_dead_invertedbreve, U'\u0311'},      // combining inverted breve
    {XKB_KEY_dead_belowcomma, U'\u002C'},         // ,
    {XKB_KEY_dead_currency, U'\u00A4'},           // ¤
    {XKB_KEY_dead_lowline, U'\u005F'},            // _
    {XKB_KEY_dead_aboveverticalline, U'\u02C8'},  // ˈ
    {XKB_KEY_dead_belowverticalline, U'\u02CC'},  // ˌ
    {XKB_KEY_dead_longsolidusoverlay, U'\u0338'}, // combining long solidus overlay
    {XKB_KEY_dead_a, U'a'},
    {XKB_KEY_dead_A, U'A'},
    {XKB_KEY_dead_e, U'e'},
    {XKB_KEY_dead_E, U'E'},
    {XKB_KEY_dead_i, U'i'},
    {XKB_KEY_dead_I, U'I'},
    {XKB_KEY_dead_o, U'o'},
    {XKB_KEY_dead_O, U'O'},
    {XKB_KEY_dead_u, U'u'},
    {XKB_KEY_dead_U, U'U'},
    {XKB_KEY_dead_small_schwa, U'\u0259'},        // ə
    {XKB_KEY_dead_capital_schwa, U'\u018F'},      // Ə
    {XKB_KEY_dead_greek, U'\u00B5'},              // µ
};

} // namespace

char32_t DeadKeyAccent(xkb_keysym_t keysym)
{
    for (const DeadKey& deadKey : DEAD_KEYS) {
        if (deadKey.keysym == keysym)
            return deadKey.accent;
    }
    return 0;
}

}}}} // namespace quorvex::lumora::client::renderhelper
