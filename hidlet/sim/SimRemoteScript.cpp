#include "SimRemoteScript.h"

#include <cerrno>
#include <cstdlib>
#include <set>
#include <stdexcept>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

namespace {

std::string trim(const std::string& s)
{
    const std::string::size_type first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> split(const std::string& text, const std::string& separators)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find_first_of(separators, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

[[noreturn]] void reject(const std::string& field, const std::string& why)
{
    throw std::invalid_argument("remote description: " + field + ": " + why);
}

long number(const std::string& key, const std::string& value, long min, long max)
{
    if (value.empty())
        reject(key, "no value");
    errno = 0;
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 0);
    if (errno != 0 || *end != '\0')
        reject(key, "not a number: " + value);
    if (n < min || n > max)
        reject(key, "out of range: " + value);
    return n;
}

std::vector<unsigned char> hexBytes(const std::string& key, const std::string& value)
{
    if (value.size() % 2 != 0)
        reject(key, "odd number of hexadecimal digits");
    std::vector<unsigned char> bytes;
    for (std::string::size_type i = 0; i < value.size(); i += 2) {
        const std::string pair = value.substr(i, 2);
        char* end = nullptr;
        const long b = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0' || pair.find_first_of("+- ") != std::string::npos)
            reject(key, "not hexadecimal: " + value);
        bytes.push_back(static_cast<unsigned char>(b));
    }
    return bytes;
}

} // namespace

SimRemoteScript parseSimRemote(const std::string& text, int position)
{
    const long kMaxMs = 3600L * 1000;
    SimRemoteScript script;
    script.text = trim(text);
    script.id = "sim" + std::to_string(position);
    script.location = 0x14000000L | (static_cast<long>(position & 0xF) << 20);
    for (const std::string& rawField : split(text, ",")) {
        const std::string field = trim(rawField);
        if (field.empty())
            continue;
        const std::string::size_type eq = field.find('=');
        if (eq == std::string::npos)
            reject(field, "expected key=value");
        const std::string key = trim(field.substr(0, eq));
        const std::string value = trim(field.substr(eq + 1));
        script.keys.push_back(key);
        if (key == "id") {
            if (value.empty() || value.find_first_of(" \t=#") != std::string::npos)
                reject(key, "empty or with blanks");
            script.id = value;
        } else if (key == "vid") {
            script.vendorId = number(key, value, 0, 0xFFFF);
        } else if (key == "pid") {
            script.productId = number(key, value, 0, 0xFFFF);
        } else if (key == "version") {
            script.version = number(key, value, -1, 0xFFFF);
        } else if (key == "location") {
            script.location = number(key, value, -1, 0xFFFFFFFFL);
        } else if (key == "in") {
            script.inputSize = number(key, value, 1, 4096);
        } else if (key == "out") {
            script.outputSize = number(key, value, 1, 4096);
        } else if (key == "reply") {
            if (value == "echo") {
                script.reply = SimRemoteScript::ECHO;
            } else if (value == "silent") {
                script.reply = SimRemoteScript::SILENT;
            } else {
                script.reply = SimRemoteScript::COUNT;
                script.replyCount = number(key, value, 0, 100000);
            }
        } else if (key == "end") {
            script.endPacket = hexBytes(key, value);
        } else if (key == "delay") {
            script.delayMs = number(key, value, 0, kMaxMs);
        } else if (key == "rate") {
            script.rateMs = number(key, value, 0, kMaxMs);
        } else if (key == "length") {
            script.answerLength = number(key, value, 0, 4096);
        } else if (key == "vanish") {
            script.vanishAfter = number(key, value, 0, 1000000000L);
        } else if (key == "replug") {
            script.replugMs = number(key, value, 0, kMaxMs);
        } else if (key == "open") {
            if (value != "fail")
                reject(key, "only open=fail is known");
            script.openFails = true;
        } else {
            reject(key, "unknown field");
        }
    }
    if (static_cast<long>(script.endPacket.size()) > script.inputSize)
        reject("end", "longer than the input report");
    return script;
}

std::vector<SimRemoteScript> parseSimRemotes(const std::string& text)
{
    std::string withoutComments;
    for (const std::string& line : split(text, "\n")) {
        withoutComments += line.substr(0, line.find('#'));
        withoutComments += '\n';
    }
    const std::string whole = trim(withoutComments);
    std::vector<SimRemoteScript> remotes;
    if (whole == "1" || whole == "default") {
        remotes.push_back(parseSimRemote("", 1));
        return remotes;
    }
    std::set<std::string> ids;
    for (const std::string& entry : split(withoutComments, ";\n")) {
        if (trim(entry).empty())
            continue;
        remotes.push_back(parseSimRemote(entry, static_cast<int>(remotes.size()) + 1));
        if (!ids.insert(remotes.back().id).second)
            reject("id", "used twice: " + remotes.back().id);
    }
    return remotes;
}

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim
