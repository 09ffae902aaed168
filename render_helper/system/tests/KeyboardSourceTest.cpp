// Which layout is taken as the one in use when there is no X server.
#include "KeyboardLocale.h"
#include "KeyboardSource.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

using namespace quorvex::lumora::client::renderhelper;

namespace {

std::string Describe(const KeyboardNames& names)
{
    return names.rules + "|" + names.model + "|" + names.layout + "|" + names.variant + "|" + names.options;
}

} // namespace

TEST(KeyboardSource, EnvironmentThenSystemFileThenUs)
{
    TemporaryDirectory directory;
    std::string file = directory.write("keyboard",
                                       "# KEYBOARD CONFIGURATION FILE\n"
                                       "XKBMODEL=\"pc104\"\n"
                                       "XKBLAYOUT=\"fr,us\"\n"
                                       "XKBVARIANT=\"oss,\"\n"
                                       "XKBOPTIONS=\"lv3:ralt_switch\"\n"
                                       "\n"
                                       "BACKSPACE=\"guess\"\n");
    const struct {
        const char* what;
        std::map<std::string, std::string> environment;
        std::string keyboardFile;
        std::string names;
    } cases[] = {
        {"environment", {{"XKB_DEFAULT_LAYOUT", "de,us"}, {"XKB_DEFAULT_VARIANT", "nodeadkeys,"}}, file,
         "evdev|pc105|de|nodeadkeys|"},
        {"environment, all names",
         {{"XKB_DEFAULT_RULES", "base"}, {"XKB_DEFAULT_MODEL", "pc101"}, {"XKB_DEFAULT_LAYOUT", "gb"},
          {"XKB_DEFAULT_OPTIONS", "compose:ralt"}},
         file, "base|pc101|gb||compose:ralt"},
        {"system file", {}, file, "evdev|pc104|fr|oss|lv3:ralt_switch"},
        {"empty variable", {{"XKB_DEFAULT_LAYOUT", ""}}, file, "evdev|pc104|fr|oss|lv3:ralt_switch"},
        {"no source", {}, directory.path() + "/missing", "evdev|pc105|us||"},
        {"file without layout", {}, directory.write("empty", "XKBMODEL=pc104\n"), "evdev|pc105|us||"},
    };
    for (const auto& c : cases) {
        KeyboardSettings settings{FixedEnvironment(c.environment), c.keyboardFile};
        EXPECT_EQ(Describe(ConfiguredKeyboardNames(settings)), c.names) << c.what;
    }
}

TEST(KeyboardSource, UnreachableDisplayFallsBackToTheConfiguredLayout)
{
    // No X server listens on display 987: the lookup moves on instead of failing or waiting.
    KeyboardSettings settings{FixedEnvironment({{"DISPLAY", ":987"}, {"XKB_DEFAULT_LAYOUT", "fr"}}),
                              "/nonexistent/keyboard"};
    EXPECT_EQ(CurrentKeyboardLocale(settings), "French");
}

TEST(KeyboardSource, ListItems)
{
    EXPECT_EQ(ListItem("us,de", 0), "us");
    EXPECT_EQ(ListItem("us,de", 1), "de");
    EXPECT_EQ(ListItem("us,de", 2), "");
    EXPECT_EQ(ListItem(",nodeadkeys", 0), "");
    EXPECT_EQ(ListItem(",nodeadkeys", 1), "nodeadkeys");
    EXPECT_EQ(ListItem("", 0), "");
}
