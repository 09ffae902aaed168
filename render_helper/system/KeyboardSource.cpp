#include "KeyboardSource.h"

#include <fstream>
#include <map>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

// Reads the shell-style assignments of a keyboard file (XKBLAYOUT="de" and the like).
std::map<std::string, std::string> ReadKeyboardFile(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::string::size_type start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        std::string::size_type equals = line.find('=', start);
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(start, equals - start);
        std::string value = line.substr(equals + 1);
        std::string::size_type end = value.find_last_not_of(" \t\r");
        value = end == std::string::npos ? "" : value.substr(0, end + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values[key] = value;
    }
    return values;
}

std::string ValueOr(const std::map<std::string, std::string>& values, const std::string& key,
                    const std::string& fallback)
{
    auto found = values.find(key);
    return found == values.end() || found->second.empty() ? fallback : found->second;
}

} // namespace

KeyboardSettings KeyboardSettings::System()
{
    return KeyboardSettings{ProcessEnvironment(), "/etc/default/keyboard"};
}

KeyboardNames DefaultKeyboardNames()
{
    return KeyboardNames{"evdev", "pc105", "us", "", ""};
}

std::string ListItem(const std::string& list, size_t index)
{
    std::string::size_type start = 0;
    for (size_t i = 0; i < index; ++i) {
        start = list.find(',', start);
        if (start == std::string::npos)
            return "";
        ++start;
    }
    return list.substr(start, list.find(',', start) - start);
}

KeyboardNames ConfiguredKeyboardNames(const KeyboardSettings& settings)
{
    KeyboardNames names = DefaultKeyboardNames();

    if (std::optional<std::string> layouts = NonEmptyVariable(settings.environment, "XKB_DEFAULT_LAYOUT")) {
        auto variable = [&](const char* name, const std::string& fallback) {
            return NonEmptyVariable(settings.environment, name).value_or(fallback);
        };
        names.rules = variable("XKB_DEFAULT_RULES", names.rules);
        names.model = variable("XKB_DEFAULT_MODEL", names.model);
        names.layout = ListItem(*layouts, 0);
        names.variant = ListItem(variable("XKB_DEFAULT_VARIANT", ""), 0);
        names.options = variable("XKB_DEFAULT_OPTIONS", "");
    } else {
        std::map<std::string, std::string> file = ReadKeyboardFile(settings.systemKeyboardFile);
        std::string fileLayouts = ValueOr(file, "XKBLAYOUT", "");
        if (!fileLayouts.empty()) {
            names.model = ValueOr(file, "XKBMODEL", names.model);
            names.layout = ListItem(fileLayouts, 0);
            names.variant = ListItem(ValueOr(file, "XKBVARIANT", ""), 0);
            names.options = ValueOr(file, "XKBOPTIONS", "");
        }
    }

    if (names.layout.empty())
        return DefaultKeyboardNames();
    return names;
}

}}}} // namespace quorvex::lumora::client::renderhelper
