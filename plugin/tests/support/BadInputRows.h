// The table of bad page input (page_bad_input_rows.json beside the plug-in's tests): page script
// calls on the page object and the exact answers a page gets. The plug-in's tests, the native
// messaging host's tests and the browser tests all run these same rows.
#ifndef DEVICE_PLUGIN_TESTS_BADINPUTROWS_H
#define DEVICE_PLUGIN_TESTS_BADINPUTROWS_H

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace device_plugin_tests {

struct BadInputRow {
    std::string call;
    std::string answer;
    std::string finalAnswer; // for a row that starts a command: what polling it ends with
    // Through the native messaging host, where that differs.
    std::string nativeAnswer;
    std::string nativeFinalAnswer;
    bool frameTooLarge = false;

    const std::string& answerOverJson() const { return nativeAnswer.empty() ? answer : nativeAnswer; }
    const std::string& finalAnswerOverJson() const
    {
        return nativeFinalAnswer.empty() ? finalAnswer : nativeFinalAnswer;
    }
};

struct BadInputRows {
    std::string remotes;                                    // the simulated remotes (HIDLET_SIM)
    std::vector<std::pair<std::string, std::string>> names; // E, B, Q, R and their texts
    std::string helpers;                                    // page script the calls use
    std::vector<BadInputRow> setup;
    std::map<std::string, std::vector<BadInputRow>> tables;

    // Page script that defines the names and helpers.
    std::string definitions() const;
};

// Reads the table; throws std::runtime_error when it cannot.
BadInputRows loadBadInputRows(const std::string& path);

// The table this build's tests run (its path is compiled in).
const BadInputRows& badInputRows();

} // namespace device_plugin_tests

#endif
