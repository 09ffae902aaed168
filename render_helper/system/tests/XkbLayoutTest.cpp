// The export and the locale on real XKB layouts from xkb-data, chosen through the environment
// (never the machine's own keyboard or X server).
#include "JsonValidator.h"
#include "KeyLayout.h"
#include "KeyboardLocale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <vector>

using namespace quorvex::lumora::client::renderhelper;
using ::testing::Contains;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

using Entry = std::pair<std::string, std::string>;

KeyboardSettings SettingsFor(std::map<std::string, std::string> environment)
{
    return KeyboardSettings{FixedEnvironment(std::move(environment)), "/nonexistent/keyboard"};
}

std::string ExportOf(const std::string& layout, const std::string& variant = "")
{
    return GetKeyLayout(SettingsFor({{"XKB_DEFAULT_LAYOUT", layout}, {"XKB_DEFAULT_VARIANT", variant}}),
                        [](const std::string&) {});
}

// The entries of an export whose format the other tests have fixed; only ASCII \u escapes occur.
std::vector<Entry> EntriesOf(const std::string& text)
{
    std::vector<Entry> entries;
    size_t position = 0;
    auto readString = [&]() {
        std::string value;
        ++position; // opening quote
        while (text[position] != '"') {
            if (text[position] == '\\') {
                char escape = text[++position];
                if (escape == 'u') {
                    value += static_cast<char>(std::stoi(text.substr(position + 1, 4), nullptr, 16));
                    position += 4;
                } else {
                    value += escape;
                }
            } else {
                value += text[position];
            }
            ++position;
        }
        ++position; // closing quote
        return value;
    };
    while ((position = text.find("{\"K\":", position)) != std::string::npos) {
        position += 5;
        std::string key = readString();
        position += 5; // ,"V":
        entries.emplace_back(key, readString());
    }
    return entries;
}

std::map<std::string, std::string> EntryMap(const std::string& text)
{
    std::vector<Entry> entries = EntriesOf(text);
    return std::map<std::string, std::string>(entries.begin(), entries.end());
}

// Every layout and every variant that xkb-data lists, as (layout, variant).
std::vector<std::pair<std::string, std::string>> InstalledLayouts()
{
    std::ifstream rules("/usr/share/X11/xkb/rules/evdev.lst");
    std::vector<std::pair<std::string, std::string>> layouts;
    std::string line;
    std::string section;
    while (std::getline(rules, line)) {
        if (!line.empty() && line[0] == '!') {
            section = line;
            continue;
        }
        // "  name  description" under "! layout"; "  name  layout: description" under "! variant".
        std::string::size_type start = line.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        std::string::size_type nameEnd = line.find(' ', start);
        std::string name = line.substr(start, nameEnd - start);
        if (section == "! layout") {
            layouts.emplace_back(name, "");
        } else if (section == "! variant") {
            std::string::size_type layoutStart = line.find_first_not_of(' ', nameEnd);
            layouts.emplace_back(line.substr(layoutStart, line.find(':', layoutStart) - layoutStart), name);
        }
    }
    return layouts;
}

} // namespace

TEST(XkbLayout, UsExport)
{
    std::string text = ExportOf("us");
    ASSERT_EQ(JsonError(text), "");
    EXPECT_THAT(text, StartsWith("[{\"K\":\"N_0\",\"V\":\"a\"},"));
    EXPECT_NE(text.find("{\"K\":\"S_39\",\"V\":\"\\\"\"}"), std::string::npos);
    EXPECT_NE(text.find("{\"K\":\"N_42\",\"V\":\"\\\\\"}"), std::string::npos);
    EXPECT_NE(text.find("{\"K\":\"N_49\",\"V\":\" \"}"), std::string::npos);

    std::map<std::string, std::string> keys = EntryMap(text);
    const std::pair<const char*, const char*> expected[] = {
        {"S_0", "A"},  {"N_18", "1"}, {"S_18", "!"}, {"N_50", "`"}, {"S_50", "~"},
        {"N_10", "<"}, {"N_83", "1"}, {"N_65", "."}, {"N_67", "*"}, {"N_75", "/"},
        {"S_83", "1"}, {"S_65", "."}, {"CS_92", "9"}, {"S_67", "*"},
    };
    for (const auto& key : expected)
        EXPECT_EQ(keys[key.first], key.second) << key.first;

    std::vector<std::string> names;
    for (const Entry& entry : EntriesOf(text))
        names.push_back(entry.first);
    for (const char* label : {"N_", "S_", "A_", "CS_"}) {
        for (int code : {36, 48, 51, 53, 71, 76})
            EXPECT_THAT(names, Not(Contains(label + std::to_string(code))));
    }
    for (const std::string& name : names)
        EXPECT_FALSE(name.rfind("C_", 0) == 0 || name.rfind("CA_", 0) == 0) << name;
}

TEST(XkbLayout, EntriesComeByLabelThenKeyCode)
{
    std::vector<Entry> entries = EntriesOf(ExportOf("us"));
    ASSERT_FALSE(entries.empty());
    const std::vector<std::string> labels = {"N", "S", "A", "CS"};
    std::pair<size_t, int> previous{0, -1};
    for (const Entry& entry : entries) {
        std::string::size_type underscore = entry.first.find('_');
        size_t label = std::find(labels.begin(), labels.end(), entry.first.substr(0, underscore)) - labels.begin();
        std::pair<size_t, int> current{label, std::stoi(entry.first.substr(underscore + 1))};
        ASSERT_LT(label, labels.size()) << entry.first;
        EXPECT_LT(previous, current) << entry.first;
        previous = current;
    }
}

TEST(XkbLayout, DeadKeysShowTheirAccent)
{
    const struct {
        const char* layout;
        std::vector<std::pair<const char*, const char*>> keys;
    } cases[] = {
        {"de",
         {{"N_16", "z"}, {"N_6", "y"}, {"N_41", "\xc3\xb6"},                  // ö
          {"N_50", "^"}, {"S_50", "\xc2\xb0"},                                 // dead circumflex, °
          {"N_24", "\xc2\xb4"}, {"S_24", "`"},                                 // dead acute, dead grave
          {"A_12", "@"}, {"N_10", "<"}, {"A_10", "|"}}},
        {"fr",
         {{"N_0", "q"}, {"N_12", "a"}, {"N_18", "&"}, {"S_18", "1"},
          {"N_33", "^"}, {"S_33", "\xc2\xa8"}}},                               // dead circumflex, dead diaeresis
    };
    for (const auto& c : cases) {
        std::string text = ExportOf(c.layout);
        ASSERT_EQ(JsonError(text), "") << c.layout;
        std::map<std::string, std::string> keys = EntryMap(text);
        for (const auto& key : c.keys)
            EXPECT_EQ(keys[key.first], key.second) << c.layout << " " << key.first;
    }
}

TEST(XkbLayout, EachExportReadsTheKeyboardAgain)
{
    auto environment = std::make_shared<std::map<std::string, std::string>>();
    (*environment)["XKB_DEFAULT_LAYOUT"] = "us";
    KeyboardSettings settings{[environment](const std::string& name) -> std::optional<std::string> {
                                  auto found = environment->find(name);
                                  if (found == environment->end())
                                      return std::nullopt;
                                  return found->second;
                              },
                              "/nonexistent/keyboard"};
    auto quiet = [](const std::string&) {};

    EXPECT_EQ(EntryMap(GetKeyLayout(settings, quiet))["N_16"], "y");
    EXPECT_EQ(CurrentKeyboardLocale(settings), "US");
    (*environment)["XKB_DEFAULT_LAYOUT"] = "de";
    EXPECT_EQ(EntryMap(GetKeyLayout(settings, quiet))["N_16"], "z");
    EXPECT_EQ(CurrentKeyboardLocale(settings), "German");
}

TEST(XkbLayout, UnknownLayoutFallsBackToUs)
{
    EXPECT_EQ(ExportOf("no-such-layout"), ExportOf("us"));
    EXPECT_EQ(ExportOf("de", "no-such-variant"), ExportOf("us"));
}

TEST(XkbLayout, ExportIsValidJsonForEveryInstalledLayout)
{
    // Some variants put control characters on keys the export keeps (colemak's Caps Lock is
    // BackSpace), which the escaping must carry.
    std::vector<std::pair<std::string, std::string>> layouts = InstalledLayouts();
    ASSERT_GT(layouts.size(), 400u) << "xkb-data's layout list";
    for (const auto& [layout, variant] : layouts) {
        std::string text = ExportOf(layout, variant);
        EXPECT_EQ(JsonError(text), "") << layout << "(" << variant << "): " << text;
        EXPECT_NE(text, "[]") << layout << "(" << variant << ")";
    }
    EXPECT_NE(ExportOf("us", "colemak").find(R"({"K":"N_57","V":"\u0008"})"), std::string::npos);
}

TEST(KeyboardLocale, CommonLayoutsTakeTheirKeyboardNames)
{
    const struct {
        const char* layout;
        const char* variant;
        const char* locale;
    } cases[] = {
        {"us", "", "US"},
        {"us", "dvorak", "Dvorak"},
        {"us", "euro", "US"},
        {"de", "", "German"},
        {"de", "nodeadkeys", "German"},
        {"fr", "", "French"},
        {"gb", "", "British"},
        {"ch", "", "SwissGerman"},
        {"ch", "fr", "SwissFrench"},
        {"jp", "", "jp"},
        {"jp", "kana", "jp(kana)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyboardLocaleName(c.layout, c.variant), c.locale) << c.layout << "(" << c.variant << ")";
}
