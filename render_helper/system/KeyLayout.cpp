#include "KeyLayout.h"

#include "CurrentKeyboard.h"
#include "KeyValueEscape.h"
#include "MacKeyCodes.h"
#include "Utf8.h"

#include <exception>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

const uint32_t Modifiers[MODIFIER_STATE_COUNT] = {0x0, 0x20102, 0x80140, 0x30102, 0x10100, 0x90120};

const char* const ModifiersShort[MODIFIER_STATE_COUNT] = {"N", "S", "A", "CS", "C", "CA"};

namespace {

// A key shows at most this many UTF-16 code units.
const size_t MAX_KEY_CHARACTER_UNITS = 4;

// Keys whose characters are controls, not characters a page would map: Return, Tab, Delete,
// Escape, keypad Clear, keypad Enter.
bool IsSkippedKeyCode(uint16_t keyCode)
{
    switch (keyCode) {
    case 36:
    case 48:
    case 51:
    case 53:
    case 71:
    case 76:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string createStringForKey(KeyTranslator& translator, uint16_t keyCode, uint32_t modifierState,
                               const LogSink& log)
{
    try {
        return LimitToUtf16Units(translator.Translate(keyCode, modifierState), MAX_KEY_CHARACTER_UNITS);
    } catch (const std::exception& error) {
        log(std::string("Quorvex/KeyLayout :") + error.what());
        return "";
    }
}

std::string createStringForKey(uint16_t keyCode, uint32_t modifierState)
{
    std::unique_ptr<XkbKeyTranslator> keyboard = OpenCurrentKeyboard(KeyboardSettings::System());
    return createStringForKey(*keyboard, keyCode, modifierState, SystemLogSink());
}

std::string GetKeyLayout(KeyTranslator& translator, const LogSink& log)
{
    std::string text = "[";
    bool first = true;
    try {
        for (size_t state = 0; state < EXPORTED_MODIFIER_STATE_COUNT; ++state) {
            const std::string prefix = std::string(ModifiersShort[state]) + "_";
            for (uint16_t keyCode = 0; keyCode <= LAST_EXPORTED_KEY_CODE; ++keyCode) {
                std::string characters = createStringForKey(translator, keyCode, Modifiers[state], log);
                if (characters.empty() || IsSkippedKeyCode(keyCode))
                    continue;

                std::string name = prefix + std::to_string(keyCode);
                std::string entry = first ? "" : ",";
                entry += "{\"K\":\"" + name + "\",\"V\":\"" + EscapeKeyValue(characters) + "\"}";
                text += entry;
                log(" " + std::to_string(keyCode) + " Key Code : " + name + ", Key Value :" + characters);
                first = false;
            }
        }
    } catch (...) {
        // Only whole entries were added, so closing the array keeps the text valid JSON.
    }
    text += "]";
    return text;
}

std::string GetKeyLayout(const KeyboardSettings& settings, const LogSink& log)
{
    std::unique_ptr<XkbKeyTranslator> keyboard = OpenCurrentKeyboard(settings);
    return GetKeyLayout(*keyboard, log);
}

std::string GetKeyLayout()
{
    return GetKeyLayout(KeyboardSettings::System(), SystemLogSink());
}

}}}} // namespace quorvex::lumora::client::renderhelper
