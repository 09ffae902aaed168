// The export text built from a scripted keyboard: order, skipped keys, escaping, logging, failures.
#include "JsonValidator.h"
#include "KeyLayout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace quorvex::lumora::client::renderhelper;
using ::testing::ElementsAre;

namespace {

// Answers from a table keyed by (key code, modifier word) and records every question.
class ScriptedKeyboard : public KeyTranslator
{
public:
    std::map<std::pair<uint16_t, uint32_t>, std::string> keys;
    std::vector<std::pair<uint16_t, uint32_t>> asked;
    std::pair<uint16_t, uint32_t> throwsStdError{0xFFFF, 0};
    std::pair<uint16_t, uint32_t> throwsOther{0xFFFF, 0};

    std::string Translate(uint16_t keyCode, uint32_t modifierState) override
    {
        asked.emplace_back(keyCode, modifierState);
        if (std::make_pair(keyCode, modifierState) == throwsStdError)
            throw std::runtime_error("no layout data");
        if (std::make_pair(keyCode, modifierState) == throwsOther)
            throw 42;
        auto found = keys.find({keyCode, modifierState});
        return found == keys.end() ? "" : found->second;
    }
};

struct LogLines {
    std::vector<std::string> lines;
    LogSink sink()
    {
        return [this](const std::string& line) { lines.push_back(line); };
    }
};

const uint32_t NONE = 0x0, SHIFT = 0x20102, OPTION = 0x80140, CAPS_SHIFT = 0x30102;

} // namespace

TEST(KeyLayout, ModifierTablesKeepTheirWordsAndLabels)
{
    EXPECT_THAT(Modifiers, ElementsAre(0x0u, 0x20102u, 0x80140u, 0x30102u, 0x10100u, 0x90120u));
    EXPECT_THAT(std::vector<std::string>(ModifiersShort, ModifiersShort + MODIFIER_STATE_COUNT),
                ElementsAre("N", "S", "A", "CS", "C", "CA"));
}

TEST(KeyLayout, TranslatesEveryKeyUnderFourStatesInExportOrder)
{
    ScriptedKeyboard keyboard;
    LogLines log;
    GetKeyLayout(keyboard, log.sink());

    ASSERT_EQ(keyboard.asked.size(), 380u);
    const uint32_t order[] = {NONE, SHIFT, OPTION, CAPS_SHIFT};
    for (size_t i = 0; i < keyboard.asked.size(); ++i) {
        EXPECT_EQ(keyboard.asked[i].first, i % 95) << "translation " << i;
        EXPECT_EQ(keyboard.asked[i].second, order[i / 95]) << "translation " << i;
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST(KeyLayout, LeavesOutSilentAndControlKeys)
{
    ScriptedKeyboard keyboard;
    // Return, Tab, Delete, Escape, keypad Clear and keypad Enter are left out whatever they show.
    for (uint16_t code : {36, 48, 51, 53, 71, 76})
        keyboard.keys[{code, NONE}] = "x";
    keyboard.keys[{0, NONE}] = "a";
    keyboard.keys[{49, NONE}] = " ";
    keyboard.keys[{94, CAPS_SHIFT}] = "_";
    keyboard.keys[{12, SHIFT}] = "Q";
    keyboard.keys[{12, OPTION}] = "@";
    LogLines log;

    EXPECT_EQ(GetKeyLayout(keyboard, log.sink()),
              "[{\"K\":\"N_0\",\"V\":\"a\"},{\"K\":\"N_49\",\"V\":\" \"},{\"K\":\"S_12\",\"V\":\"Q\"},"
              "{\"K\":\"A_12\",\"V\":\"@\"},{\"K\":\"CS_94\",\"V\":\"_\"}]");
    EXPECT_THAT(log.lines, ElementsAre(" 0 Key Code : N_0, Key Value :a", " 49 Key Code : N_49, Key Value : ",
                                       " 12 Key Code : S_12, Key Value :Q", " 12 Key Code : A_12, Key Value :@",
                                       " 94 Key Code : CS_94, Key Value :_"));
}

TEST(KeyLayout, KeyboardWithoutCharactersGivesAnEmptyArray)
{
    ScriptedKeyboard keyboard;
    LogLines log;
    EXPECT_EQ(GetKeyLayout(keyboard, log.sink()), "[]");
}

TEST(KeyLayout, EscapesQuotesBackslashesAndControlCharacters)
{
    const struct {
        std::string characters;
        std::string exported;
    } cases[] = {
        {"\"", "\\\""},
        {"\\", "\\\\"},
        {"\x01", "\\u0001"},
        {"\x1b", "\\u001B"},
        {"\x7f", "\\u007F"},
        {"a\"b", "a\\\"b"},        // each one escaped, so longer values stay valid too
        {"\xc2\xb4", "\xc2\xb4"},  // ´ passes unchanged
        {"/", "/"},
    };
    for (const auto& c : cases) {
        ScriptedKeyboard keyboard;
        keyboard.keys[{39, SHIFT}] = c.characters;
        LogLines log;
        std::string text = GetKeyLayout(keyboard, log.sink());

        EXPECT_EQ(text, "[{\"K\":\"S_39\",\"V\":\"" + c.exported + "\"}]");
        EXPECT_EQ(JsonError(text), "") << text;
        EXPECT_THAT(log.lines, ElementsAre(" 39 Key Code : S_39, Key Value :" + c.characters))
            << "the log shows the characters unescaped";
    }
}

TEST(KeyLayout, KeyShowsAtMostFourUtf16Units)
{
    ScriptedKeyboard keyboard;
    keyboard.keys[{0, NONE}] = "abcdef";
    keyboard.keys[{1, NONE}] = "\xf0\x9f\x98\x80\xf0\x9f\x98\x80\xf0\x9f\x98\x80"; // three characters past U+FFFF
    keyboard.keys[{2, NONE}] = "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";           // five é
    LogLines log;

    EXPECT_EQ(createStringForKey(keyboard, 0, NONE, log.sink()), "abcd");
    EXPECT_EQ(createStringForKey(keyboard, 1, NONE, log.sink()), "\xf0\x9f\x98\x80\xf0\x9f\x98\x80");
    EXPECT_EQ(createStringForKey(keyboard, 2, NONE, log.sink()), "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
}

TEST(KeyLayout, FailedKeyIsLoggedAndLeftOut)
{
    ScriptedKeyboard keyboard;
    keyboard.keys[{0, NONE}] = "a";
    keyboard.keys[{1, NONE}] = "s";
    keyboard.throwsStdError = {0, NONE};
    LogLines log;

    EXPECT_EQ(GetKeyLayout(keyboard, log.sink()), "[{\"K\":\"N_1\",\"V\":\"s\"}]");
    EXPECT_EQ(keyboard.asked.size(), 380u);
    EXPECT_THAT(log.lines, ElementsAre("Quorvex/KeyLayout :no layout data", " 1 Key Code : N_1, Key Value :s"));
}

TEST(KeyLayout, OtherFailureEndsTheExportWithTheEntriesMadeSoFar)
{
    ScriptedKeyboard keyboard;
    keyboard.keys[{0, NONE}] = "a";
    keyboard.keys[{0, SHIFT}] = "A";
    keyboard.keys[{1, SHIFT}] = "S";
    keyboard.throwsOther = {1, SHIFT};
    LogLines log;

    std::string text = GetKeyLayout(keyboard, log.sink());
    EXPECT_EQ(text, "[{\"K\":\"N_0\",\"V\":\"a\"},{\"K\":\"S_0\",\"V\":\"A\"}]");
    EXPECT_EQ(keyboard.asked.size(), 95u + 2u);
}
