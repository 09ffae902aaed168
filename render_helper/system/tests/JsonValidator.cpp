#include "JsonValidator.h"

#include <cctype>

namespace {

class Checker
{
public:
    explicit Checker(const std::string& text) : m_text(text) {}

    std::string run()
    {
        skipSpace();
        if (!value())
            return m_error;
        skipSpace();
        if (m_position != m_text.size())
            fail("text after the value");
        return m_error;
    }

private:
    bool fail(const char* what)
    {
        if (m_error.empty())
            m_error = std::string(what) + " at byte " + std::to_string(m_position);
        return false;
    }

    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_position]; }

    void skipSpace()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_position;
    }

    bool literal(const char* word)
    {
        for (const char* c = word; *c; ++c, ++m_position) {
            if (peek() != *c)
                return fail("bad literal");
        }
        return true;
    }

    bool value()
    {
        switch (peek()) {
        case '{': return object();
        case '[': return array();
        case '"': return string();
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number();
        }
    }

    bool object()
    {
        ++m_position;
        skipSpace();
        if (peek() == '}') {
            ++m_position;
            return true;
        }
        for (;;) {
            skipSpace();
            if (peek() != '"' || !string())
                return fail("expected a member name");
            skipSpace();
            if (peek() != ':')
                return fail("expected ':'");
            ++m_position;
            skipSpace();
            if (!value())
                return false;
            skipSpace();
            if (peek() == ',') {
                ++m_position;
                continue;
            }
            if (peek() == '}') {
                ++m_position;
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    bool array()
    {
        ++m_position;
        skipSpace();
        if (peek() == ']') {
            ++m_position;
            return true;
        }
        for (;;) {
            skipSpace();
            if (!value())
                return false;
            skipSpace();
            if (peek() == ',') {
                ++m_position;
                continue;
            }
            if (peek() == ']') {
                ++m_position;
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }

    bool string()
    {
        ++m_position;
        for (;;) {
            if (atEnd())
                return fail("unterminated string");
            unsigned char c = static_cast<unsigned char>(m_text[m_position]);
            if (c == '"') {
                ++m_position;
                return true;
            }
            if (c < 0x20)
                return fail("raw control character in string");
            if (c == '\\') {
                ++m_position;
                char escape = peek();
                if (escape == 'u') {
                    for (int i = 0; i < 4; ++i) {
                        ++m_position;
                        if (!std::isxdigit(static_cast<unsigned char>(peek())))
                            return fail("bad \\u escape");
                    }
                } else if (std::string("\"\\/bfnrt").find(escape) == std::string::npos || escape == '\0') {
                    return fail("bad escape");
                }
                ++m_position;
                continue;
            }
            if (!utf8Character())
                return false;
        }
    }

    bool utf8Character()
    {
        unsigned char lead = static_cast<unsigned char>(m_text[m_position]);
        size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || m_position + length > m_text.size())
            return fail("bad UTF-8");
        for (size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(m_text[m_position + i]) & 0xC0) != 0x80)
                return fail("bad UTF-8");
        }
        m_position += length;
        return true;
    }

    bool digits()
    {
        if (!std::isdigit(static_cast<unsigned char>(peek())))
            return fail("expected a digit");
        while (std::isdigit(static_cast<unsigned char>(peek())))
            ++m_position;
        return true;
    }

    bool number()
    {
        if (peek() == '-')
            ++m_position;
        if (peek() == '0')
            ++m_position;
        else if (!digits())
            return fail("expected a value");
        if (peek() == '.') {
            ++m_position;
            if (!digits())
                return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_position;
            if (peek() == '+' || peek() == '-')
                ++m_position;
            if (!digits())
                return false;
        }
        return true;
    }

    const std::string& m_text;
    size_t m_position = 0;
    std::string m_error;
};

} // namespace

std::string JsonError(const std::string& text)
{
    return Checker(text).run();
}
