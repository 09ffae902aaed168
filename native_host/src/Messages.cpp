#include "Messages.h"

#include <cstring>
#include <limits>

#include "Frames.h"
#include "util/ByteUtil.h"

namespace native_host {

using nlohmann::json;
using page_methods::ScriptValue;
using quorvex::lumora::client::common::util::ByteUtil;

namespace {

const char* const HOST_METHOD_NAMES[] = {"takeAnswer"};

int methodNamed(const std::string& name)
{
    for (int i = 0; i < page_methods::METHOD_COUNT; ++i)
        if (name == page_methods::METHOD_NAMES[i])
            return i;
    if (name == HOST_METHOD_NAMES[0])
        return TAKE_ANSWER;
    return -1;
}

// Written with the library's own escaping; bytes that are not UTF-8 (they can only come from a
// device or the engine) become U+FFFD rather than garbage or a failure.
std::string dump(const json& message)
{
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

// The code unit of a "\uXXXX" escape at text[at] (at the backslash), or -1.
long escapedUnit(const std::string& text, size_t at)
{
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u')
        return -1;
    long unit = 0;
    for (size_t i = at + 2; i < at + 6; ++i) {
        const int digit = ByteUtil::charToInt(text[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

bool isHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

} // namespace

std::string withLoneSurrogatesReplaced(const std::string& text)
{
    if (text.find("\\u") == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inString) {
            inString = c == '"';
            out += c;
            continue;
        }
        if (c == '"') {
            inString = false;
            out += c;
            continue;
        }
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const long unit = escapedUnit(text, i);
        if (unit < 0 || !(isHighSurrogate(unit) || isLowSurrogate(unit))) {
            // Any other escape is copied whole, so that an escaped quote does not end the string.
            out.append(text, i, 2);
            ++i;
            continue;
        }
        if (isHighSurrogate(unit) && isLowSurrogate(escapedUnit(text, i + 6))) {
            out.append(text, i, 12);
            i += 11;
            continue;
        }
        out += "\\uFFFD";
        i += 5;
    }
    return out;
}

Request parseRequest(const std::string& payload)
{
    Request request;
    request.error = BAD_REQUEST;
    // Arrays and objects nested deeper than a request needs are dropped as they are read, so
    // that nothing deep is built, copied or walked (each of which recurses).
    bool tooDeep = false;
    const json::parser_callback_t limitDepth = [&](int depth, json::parse_event_t event, json&) {
        if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
            depth >= MAX_NESTING) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    const json message = json::parse(withLoneSurrogatesReplaced(payload), limitDepth, false);
    if (!message.is_object())
        return request; // text that is not JSON, or JSON that is no request: no id to answer
    const auto id = message.find("id");
    if (id == message.end() || !id->is_number_integer())
        return request;
    request.id = *id;
    const auto method = message.find("method");
    const auto args = message.find("args");
    if (method == message.end() || !method->is_string())
        return request;
    if ((args != message.end() && !args->is_array()) || tooDeep)
        return request;
    request.method = methodNamed(method->get_ref<const std::string&>());
    if (request.method < 0) {
        request.error = UNKNOWN_METHOD;
        return request;
    }
    request.args = args != message.end() ? *args : json::array();
    request.error = nullptr;
    return request;
}

std::vector<ScriptValue> scriptValuesOf(const json& args)
{
    std::vector<ScriptValue> values;
    for (const json& arg : args) {
        if (values.size() == page_methods::MAX_ARGUMENTS_READ)
            break;
        switch (arg.type()) {
        case json::value_t::null: values.push_back(ScriptValue::makeNull()); break;
        case json::value_t::boolean: values.push_back(ScriptValue::makeBool(arg.get<bool>())); break;
        case json::value_t::number_integer: {
            const int64_t n = arg.get<int64_t>();
            values.push_back(n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max()
                                 ? ScriptValue::makeInt32(static_cast<int32_t>(n))
                                 : ScriptValue::makeDouble(static_cast<double>(n)));
            break;
        }
        case json::value_t::number_unsigned: {
            const uint64_t n = arg.get<uint64_t>();
            values.push_back(n <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                                 ? ScriptValue::makeInt32(static_cast<int32_t>(n))
                                 : ScriptValue::makeDouble(static_cast<double>(n)));
            break;
        }
        case json::value_t::number_float: values.push_back(ScriptValue::makeDouble(arg.get<double>())); break;
        case json::value_t::string: {
            const std::string& text = arg.get_ref<const std::string&>();
            values.push_back(ScriptValue::makeString(text.data(), static_cast<uint32_t>(text.size())));
            break;
        }
        default: values.push_back(ScriptValue::makeObject()); break;
        }
    }
    return values;
}

json pageText(const char* text)
{
    return text ? json(std::string(text, std::strlen(text))) : json();
}

std::string resultMessage(const json& id, const json& result)
{
    std::string message = dump(json{{"id", id}, {"result", result}});
    if (message.size() > MAX_OUTGOING_FRAME)
        message = dump(json{{"id", id}, {"result", ANSWER_TOO_LARGE}});
    return message;
}

std::string errorMessage(const json& id, const char* detail)
{
    return dump(json{{"id", id}, {"error", std::string("{{300|Error in plugin:") + detail + "}}"}});
}

std::string answerEvent(const std::string& deviceId, const std::string& result)
{
    std::string message = dump(json{{"event", "answer"}, {"deviceId", deviceId}, {"result", result}});
    if (message.size() > MAX_OUTGOING_FRAME)
        message = dump(json{{"event", "answer"}, {"deviceId", deviceId}, {"result", ANSWER_TOO_LARGE}});
    return message;
}

std::string devicesEvent(const std::string& devices)
{
    std::string message = dump(json{{"event", "devices"}, {"devices", devices}});
    return message.size() > MAX_OUTGOING_FRAME ? std::string() : message;
}

} // namespace native_host
