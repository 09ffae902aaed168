#include "KeyboardLocale.h"

#include "CurrentKeyboard.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

struct LocaleName {
    const char* layout;
    const char* variant; // "" names the layout as a whole, whatever its variant
    const char* name;
};

// XKB layout (and variant)  ->  macOS keyboard layout name
//
//   us                  US                  gb      British        ie      Irish
//   us(intl)            USInternational-PC  au      Australian     ca      Canadian
//   us(alt-intl)        USInternational-PC  de      German         at      Austrian
//   us(dvorak)          Dvorak              ch      SwissGerman    ch(fr)  SwissFrench
//   us(colemak)         Colemak             fr      French         be      Belgian
//   es                  Spanish             latam   LatinAmerican  it      Italian
//   pt                  Portuguese          br      Brazilian      nl      Dutch
//   dk                  Danish              no      Norwegian      se      Swedish
//   fi                  Finnish             is      Icelandic      pl      Polish
//   cz                  Czech               sk      Slovak         hu      Hungarian
//   si                  Slovenian           hr      Croatian       ro      Romanian
//   ee                  Estonian            lv      Latvian        lt      Lithuanian
//   tr                  Turkish             gr      Greek          ru      Russian
//   ua                  Ukrainian           bg      Bulgarian      il      Hebrew
//   ara                 Arabic
//
// A variant that is not listed takes its layout's name (de(nodeadkeys) is German); a layout that
// is not listed keeps its XKB name.
const LocaleName LOCALE_NAMES[] = {
    {"us", "intl", "USInternational-PC"},
    {"us", "alt-intl", "USInternational-PC"},
    {"us", "dvorak", "Dvorak"},
    {"us", "colemak", "Colemak"},
    {"us", "", "US"},
    {"gb", "", "British"},
    {"ie", "", "Irish"},
    {"au", "", "Australian"},
    {"ca", "", "Canadian"},
    {"de", "", "German"},
    {"at", "", "Austrian"},
    {"ch", "fr", "SwissFrench"},
    {"ch", "", "SwissGerman"},
    {"fr", "", "French"},
    {"be", "", "Belgian"},
    {"es", "", "Spanish"},
    {"latam", "", "LatinAmerican"},
    {"it", "", "Italian"},
    {"pt", "", "Portuguese"},
    {"br", "", "Brazilian"},
    {"nl", "", "Dutch"},
    {"dk", "", "Danish"},
    {"no", "", "Norwegian"},
    {"se", "", "Swedish"},
    {"fi", "", "Finnish"},
    {"is", "", "Icelandic"},
    {"pl", "", "Polish"},
    {"cz", "", "Czech"},
    {"sk", "", "Slovak"},
    {"hu", "", "Hungarian"},
    {"si", "", "Slovenian"},
    {"hr", "", "Croatian"},
    {"ro", "", "Romanian"},
    {"ee", "", "Estonian"},
    {"lv", "", "Latvian"},
    {"lt", "", "Lithuanian"},
    {"tr", "", "Turkish"},
    {"gr", "", "Greek"},
    {"ru", "", "Russian"},
    {"ua", "", "Ukrainian"},
    {"bg", "", "Bulgarian"},
    {"il", "", "Hebrew"},
    {"ara", "", "Arabic"},
};

} // namespace

std::string KeyboardLocaleName(const std::string& layout, const std::string& variant)
{
    // Variant entries stand before their layout's entry, so the first match is the closest.
    for (const LocaleName& entry : LOCALE_NAMES) {
        if (layout == entry.layout && (entry.variant[0] == '\0' || variant == entry.variant))
            return entry.name;
    }
    if (variant.empty())
        return layout;
    return layout + "(" + variant + ")";
}

std::string CurrentKeyboardLocale(const KeyboardSettings& settings)
{
    KeyboardNames names = CurrentKeyboardNames(settings);
    return KeyboardLocaleName(names.layout, names.variant);
}

}}}} // namespace quorvex::lumora::client::renderhelper
