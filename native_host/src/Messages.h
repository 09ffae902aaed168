// The JSON messages between the browser and the host: requests in, answers and events out.
#ifndef NATIVE_HOST_MESSAGES_H
#define NATIVE_HOST_MESSAGES_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "page_methods/MethodNames.h"
#include "page_methods/ScriptValue.h"

namespace native_host {

// The page object's seven methods keep their MethodIndex; the extension's own call follows them.
enum HostMethod { TAKE_ANSWER = page_methods::METHOD_COUNT };

// Error details toward the browser.
constexpr char BAD_REQUEST[] = "bad request";
constexpr char UNKNOWN_METHOD[] = "unknown method";

// How deep arrays and objects may nest in a request: the request is one level, its args a second,
// and an argument that is an array or object (which the methods read as an object) a few more.
constexpr int MAX_NESTING = 16;

// {"id": <integer>, "method": "<name>", "args": [...]}, or why it is not one. Nesting deeper than
// MAX_NESTING is a bad request.
struct Request {
    nlohmann::json id;       // the request's id; null when it has none that can be answered
    int method = -1;         // a MethodIndex or TAKE_ANSWER
    nlohmann::json args;     // an array (empty when the request had none)
    const char* error = nullptr; // BAD_REQUEST or UNKNOWN_METHOD when the request cannot be taken
};

Request parseRequest(const std::string& payload);

// The arguments as a browser hands script values to a plug-in: integers of 32 bits are Int32,
// other numbers Double, arrays and objects Object. Strings are views into args, which must outlive
// the values. Only the positions a method can read are converted.
std::vector<page_methods::ScriptValue> scriptValuesOf(const nlohmann::json& args);

// A text up to its first NUL, as a page receives it; null stays null.
nlohmann::json pageText(const char* text);

// Answers carry exactly the method's text or null. A message that would be too large for the
// browser carries ANSWER_TOO_LARGE in place of its text.
constexpr char ANSWER_TOO_LARGE[] = "{{300|Error in plugin:answer too large}}";

std::string resultMessage(const nlohmann::json& id, const nlohmann::json& result);
std::string errorMessage(const nlohmann::json& id, const char* detail);
std::string answerEvent(const std::string& deviceId, const std::string& result);
// Empty when the list is too large to send.
std::string devicesEvent(const std::string& devices);

// JSON text with every escaped UTF-16 surrogate that has no partner written as U+FFFD, as a
// browser's own conversion of script text to UTF-8 does; the JSON library refuses such escapes.
std::string withLoneSurrogatesReplaced(const std::string& text);

} // namespace native_host

#endif
