#include "BadInputRows.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace device_plugin_tests {
namespace {

using nlohmann::json;

// "\xHH" in an answer stands for a byte that is not UTF-8 (JSON text cannot hold it).
std::string decodeBytes(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 4 <= text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

BadInputRow rowOf(const json& entry)
{
    BadInputRow row;
    row.call = entry.at("call").get<std::string>();
    row.answer = decodeBytes(entry.at("answer").get<std::string>());
    row.finalAnswer = decodeBytes(entry.value("final", ""));
    if (entry.contains("nativeMessaging")) {
        const json& native = entry["nativeMessaging"];
        row.nativeAnswer = native.value("answer", "");
        row.nativeFinalAnswer = native.value("final", "");
        row.frameTooLarge = native.value("frameTooLarge", false);
    }
    return row;
}

} // namespace

std::string BadInputRows::definitions() const
{
    std::string code;
    for (const auto& [name, text] : names)
        code += "var " + name + " = '" + text + "';\n";
    return code + helpers;
}

BadInputRows loadBadInputRows(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    const json document = json::parse(text.str());
    BadInputRows rows;
    rows.remotes = document.at("remotes").get<std::string>();
    for (const auto& [name, value] : document.at("names").items())
        rows.names.emplace_back(name, value.get<std::string>());
    rows.helpers = document.at("helpers").get<std::string>();
    for (const json& entry : document.at("setup"))
        rows.setup.push_back(rowOf(entry));
    for (const auto& [name, entries] : document.at("tables").items())
        for (const json& entry : entries)
            rows.tables[name].push_back(rowOf(entry));
    return rows;
}

const BadInputRows& badInputRows()
{
    static const BadInputRows rows = loadBadInputRows(BAD_INPUT_ROWS_FILE);
    return rows;
}

} // namespace device_plugin_tests
