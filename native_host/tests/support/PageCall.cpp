#include "PageCall.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace native_host_tests {
namespace {

struct Value {
    enum Kind { NULL_VALUE, BOOL, NUMBER, STRING, OBJECT, ARRAY } kind = NULL_VALUE;
    bool boolean = false;
    double number = 0;
    std::u16string text;
    std::vector<Value> items;
};

std::u16string utf16Of(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// JSON text of a script string as a browser's serialisation writes it: UTF-8, with a surrogate
// that has no partner escaped.
std::string jsonString(const std::u16string& text)
{
    std::string out = "\"";
    char escape[8];
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (high || low || unit < 0x20) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
            out += escape;
        } else if (unit == '"' || unit == '\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out + "\"";
}

std::string jsonOf(const Value& value)
{
    switch (value.kind) {
    case Value::NULL_VALUE: return "null";
    case Value::BOOL: return value.boolean ? "true" : "false";
    case Value::NUMBER: {
        if (!std::isfinite(value.number))
            return "null";
        char text[32];
        if (value.number == std::trunc(value.number) && std::fabs(value.number) < 1e15)
            std::snprintf(text, sizeof text, "%.0f", value.number);
        else
            std::snprintf(text, sizeof text, "%.17g", value.number);
        return text;
    }
    case Value::STRING: return jsonString(value.text);
    case Value::OBJECT: return "{}";
    case Value::ARRAY: {
        std::string out = "[";
        for (size_t i = 0; i < value.items.size(); ++i)
            out += (i ? "," : "") + jsonOf(value.items[i]);
        return out + "]";
    }
    }
    return "null";
}

class Parser {
public:
    Parser(const std::string& text, const std::map<std::string, std::string>& names) : text_(text), names_(names) {}

    PageCall call()
    {
        expect("p.");
        PageCall result;
        result.method = identifier();
        expect("(");
        std::vector<Value> args;
        skipBlanks();
        if (!take(")")) {
            do
                args.push_back(expression());
            while (take(","));
            expect(")");
        }
        if (take(".split('||').length"))
            result.suffix = PageCall::SPLIT_LENGTH;
        else if (take(".length"))
            result.suffix = PageCall::LENGTH;
        skipBlanks();
        if (at_ != text_.size())
            fail("trailing script");
        Value array;
        array.kind = Value::ARRAY;
        array.items = args;
        result.argsJson = jsonOf(array);
        return result;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::invalid_argument(what + " at " + std::to_string(at_) + " in: " + text_);
    }

    void skipBlanks()
    {
        while (at_ < text_.size() && text_[at_] == ' ')
            ++at_;
    }

    bool take(const std::string& token)
    {
        skipBlanks();
        if (text_.compare(at_, token.size(), token) != 0)
            return false;
        at_ += token.size();
        return true;
    }

    void expect(const std::string& token)
    {
        if (!take(token))
            fail("expected " + token);
    }

    std::string identifier()
    {
        skipBlanks();
        const size_t start = at_;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
            ++at_;
        if (start == at_)
            fail("expected a name");
        return text_.substr(start, at_ - start);
    }

    Value expression()
    {
        Value value = term();
        while (take("+")) {
            const Value right = term();
            if (value.kind != Value::STRING || right.kind != Value::STRING)
                fail("'+' of non-strings");
            value.text += right.text;
        }
        return value;
    }

    Value term()
    {
        Value value = primary();
        for (;;) {
            if (take(".toLowerCase()")) {
                for (char16_t& c : value.text)
                    if (c >= 'A' && c <= 'Z')
                        c = static_cast<char16_t>(c - 'A' + 'a');
            } else if (take(".substring(")) {
                const size_t from = static_cast<size_t>(number());
                expect(")");
                value.text = value.text.substr(std::min(from, value.text.size()));
            } else {
                return value;
            }
        }
    }

    double number()
    {
        skipBlanks();
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        const double n = text_.compare(at_, 2, "0x") == 0 ? static_cast<double>(std::strtol(start, &end, 16))
                                                          : std::strtod(start, &end);
        if (end == start)
            fail("expected a number");
        at_ += static_cast<size_t>(end - start);
        return n;
    }

    Value primary()
    {
        Value value;
        skipBlanks();
        if (take("'"))
            return stringLiteral();
        if (take("{}")) {
            value.kind = Value::OBJECT;
            return value;
        }
        if (take("[")) {
            value.kind = Value::ARRAY;
            value.items.push_back(expression());
            expect("]");
            return value;
        }
        if (take("big(")) {
            value = expression();
            expect(",");
            const size_t length = static_cast<size_t>(number());
            expect(")");
            if (value.text.empty())
                fail("big() of nothing");
            while (value.text.size() < length)
                value.text += value.text;
            value.text.resize(length);
            return value;
        }
        if (take("NaN") || take("Infinity") || take("-Infinity")) {
            value.kind = Value::NUMBER;
            value.number = NAN;
            return value;
        }
        if (at_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '-')) {
            value.kind = Value::NUMBER;
            value.number = number();
            return value;
        }
        const std::string name = identifier();
        if (name == "null")
            return value;
        if (name == "true" || name == "false") {
            value.kind = Value::BOOL;
            value.boolean = name == "true";
            return value;
        }
        if (name == "p") {
            value.kind = Value::OBJECT; // the page object itself serialises as {}
            return value;
        }
        const auto found = names_.find(name);
        if (found == names_.end())
            fail("unknown name " + name);
        value.kind = Value::STRING;
        value.text = utf16Of(found->second);
        return value;
    }

    Value stringLiteral()
    {
        Value value;
        value.kind = Value::STRING;
        while (at_ < text_.size() && text_[at_] != '\'') {
            if (text_[at_] == '\\' && text_.compare(at_, 2, "\\u") == 0) {
                value.text += static_cast<char16_t>(std::stoi(text_.substr(at_ + 2, 4), nullptr, 16));
                at_ += 6;
            } else {
                value.text += static_cast<char16_t>(static_cast<unsigned char>(text_[at_++]));
            }
        }
        expect("'");
        return value;
    }

    const std::string& text_;
    const std::map<std::string, std::string>& names_;
    size_t at_ = 0;
};

// The length of UTF-8 text in UTF-16 units, as a page counts it.
size_t utf16Length(const std::string& text)
{
    size_t units = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++units;
        if ((c & 0xF8) == 0xF0)
            ++units; // a character beyond the basic plane is two units
    }
    return units;
}

} // namespace

std::string PageCall::shown(const nlohmann::json& result) const
{
    if (result.is_null())
        return "null";
    if (!result.is_string())
        return "not a text: " + result.dump();
    const std::string text = result.get<std::string>();
    switch (suffix) {
    case LENGTH: return "number:" + std::to_string(utf16Length(text));
    case SPLIT_LENGTH: {
        size_t parts = 1;
        for (size_t at = text.find("||"); at != std::string::npos; at = text.find("||", at + 2))
            ++parts;
        return "number:" + std::to_string(parts);
    }
    case NONE: break;
    }
    return "string:" + text;
}

PageCall parsePageCall(const std::string& script, const std::map<std::string, std::string>& names)
{
    return Parser(script, names).call();
}

} // namespace native_host_tests
