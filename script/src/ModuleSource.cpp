// Translation of module source into a classic script (see ModuleLoader.h for the forms).
//
// A small scanner walks the source as tokens (skipping strings, template literals, comments and
// regular expressions) and keeps track of bracket depth, so that only statements at the top
// level are taken for import and export declarations. Import declarations are blanked out and
// become awaited imports at the head of the module's function; `export` keywords are dropped and
// their names become getters of the module's namespace. Everything is written on the lines it
// came from, so that engine errors and stacks give the file's own line numbers.
#include "script/ModuleLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>
#include <vector>

namespace script {

namespace {

enum class Kind { Identifier, Punctuator, String, Template, Number, Regex, End };

struct Token {
    Kind kind = Kind::End;
    size_t begin = 0;
    size_t end = 0;
    int line = 1;
    int depth = 0; // brackets open before the token
};

bool identifierChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

bool regexMayFollowWord(const std::string& word)
{
    static const std::set<std::string> words = {"return", "typeof", "instanceof", "in", "of", "new", "delete",
                                                "void", "throw", "case", "do", "else", "yield", "await"};
    return words.count(word) > 0;
}

class Scanner {
public:
    explicit Scanner(const std::string& source) : s_(source) {}

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    int errorLine() const { return errorLine_; }

    std::vector<Token> all()
    {
        std::vector<Token> tokens;
        for (;;) {
            Token token = next();
            if (failed()) {
                // Still ended by an End token, which every look-ahead stops at.
                token.kind = Kind::End;
                token.begin = token.end = s_.size();
            }
            tokens.push_back(token);
            if (token.kind == Kind::End)
                return tokens;
        }
    }

private:
    enum class Open { Bracket, TemplateExpression };

    void fail(const std::string& what, int line)
    {
        if (error_.empty()) {
            error_ = what;
            errorLine_ = line;
        }
    }

    char at(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    void skipSpaceAndComments()
    {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i_;
            } else if (c == '/' && at(i_ + 1) == '/') {
                while (i_ < s_.size() && s_[i_] != '\n')
                    ++i_;
            } else if (c == '/' && at(i_ + 1) == '*') {
                const int start = line_;
                i_ += 2;
                while (i_ < s_.size() && !(s_[i_] == '*' && at(i_ + 1) == '/'))
                    line_ += s_[i_++] == '\n';
                if (i_ >= s_.size())
                    return fail("unterminated comment", start);
                i_ += 2;
            } else {
                return;
            }
        }
    }

    // From just after a backquote or a closing brace of ${...} to after the closing backquote or
    // the next "${".
    void templatePart(int start)
    {
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\\') {
                line_ += at(i_ + 1) == '\n';
                i_ += 2;
            } else if (c == '`') {
                ++i_;
                return;
            } else if (c == '$' && at(i_ + 1) == '{') {
                i_ += 2;
                open_.push_back(Open::TemplateExpression);
                return;
            } else {
                line_ += c == '\n';
                ++i_;
            }
        }
        fail("unterminated template literal", start);
    }

    void quoted(char quote, int start)
    {
        ++i_;
        while (i_ < s_.size() && s_[i_] != quote) {
            if (s_[i_] == '\n')
                return fail("unterminated string", start);
            if (s_[i_] == '\\') {
                line_ += at(i_ + 1) == '\n';
                ++i_;
            }
            ++i_;
        }
        if (i_ >= s_.size())
            return fail("unterminated string", start);
        ++i_;
    }

    void regex(int start)
    {
        bool inClass = false;
        ++i_;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\n')
                break;
            if (c == '\\') {
                i_ += 2;
                continue;
            }
            ++i_;
            if (c == '[')
                inClass = true;
            else if (c == ']')
                inClass = false;
            else if (c == '/' && !inClass) {
                while (i_ < s_.size() && identifierChar(static_cast<unsigned char>(s_[i_])))
                    ++i_;
                return;
            }
        }
        fail("unterminated regular expression", start);
    }

    bool regexAllowed() const
    {
        switch (last_.kind) {
        case Kind::End: return true;
        case Kind::Punctuator: {
            const char c = s_[last_.begin];
            return c != ')' && c != ']' && c != '}';
        }
        case Kind::Identifier: return regexMayFollowWord(s_.substr(last_.begin, last_.end - last_.begin));
        default: return false;
        }
    }

    Token next()
    {
        skipSpaceAndComments();
        Token token;
        token.begin = i_;
        token.line = line_;
        token.depth = static_cast<int>(open_.size());
        if (failed() || i_ >= s_.size()) {
            token.end = i_;
            if (!failed() && !open_.empty())
                fail("a bracket is not closed", line_);
            return token;
        }
        const unsigned char c = static_cast<unsigned char>(s_[i_]);
        if (identifierChar(c) && !std::isdigit(c)) {
            while (i_ < s_.size() && identifierChar(static_cast<unsigned char>(s_[i_])))
                ++i_;
            token.kind = Kind::Identifier;
        } else if (std::isdigit(c) || (c == '.' && std::isdigit(static_cast<unsigned char>(at(i_ + 1))))) {
            while (i_ < s_.size() && (identifierChar(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.'))
                ++i_;
            token.kind = Kind::Number;
        } else if (c == '"' || c == '\'') {
            quoted(static_cast<char>(c), line_);
            token.kind = Kind::String;
        } else if (c == '`') {
            ++i_;
            templatePart(line_);
            token.kind = Kind::Template;
        } else if (c == '/' && regexAllowed()) {
            regex(line_);
            token.kind = Kind::Regex;
        } else {
            ++i_;
            token.kind = Kind::Punctuator;
            if (c == '(' || c == '[' || c == '{') {
                open_.push_back(Open::Bracket);
            } else if (c == ')' || c == ']' || c == '}') {
                if (open_.empty()) {
                    fail(std::string("unexpected '") + static_cast<char>(c) + "'", line_);
                } else {
                    const Open closed = open_.back();
                    open_.pop_back();
                    token.depth = static_cast<int>(open_.size());
                    if (closed == Open::TemplateExpression) {
                        templatePart(token.line);
                        token.kind = Kind::Template;
                    }
                }
            }
        }
        token.end = i_;
        last_ = token;
        return token;
    }

    const std::string& s_;
    size_t i_ = 0;
    int line_ = 1;
    std::vector<Open> open_;
    Token last_;
    std::string error_;
    int errorLine_ = 0;
};

// A JSON string literal for `text` (names and paths in the generated head).
std::string quote(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The value of a string literal token (escapes other than of quotes and backslashes are kept).
std::string stringValue(const std::string& source, const Token& token)
{
    std::string value;
    for (size_t i = token.begin + 1; i + 1 < token.end; ++i) {
        if (source[i] == '\\' && i + 2 < token.end)
            ++i;
        value += source[i];
    }
    return value;
}

class Translator {
public:
    Translator(const std::string& source, const std::string& path) : source_(source), path_(path) {}

    bool run(std::string& code, std::string& error)
    {
        Scanner scanner(source_);
        tokens_ = scanner.all();
        if (scanner.failed())
            return fail(scanner.errorLine(), scanner.error(), error);
        for (pos_ = 0; tok(pos_).kind != Kind::End && error_.empty();) {
            const Token& token = tok(pos_);
            if (token.kind == Kind::Identifier && !afterDot(pos_) && is(pos_, "import"))
                importAt();
            else if (token.kind == Kind::Identifier && token.depth == 0 && !afterDot(pos_) && is(pos_, "export"))
                exportAt();
            else
                ++pos_;
        }
        if (!error_.empty())
            return fail(errorLine_, error_, error);
        code = head() + edited() + "\n})";
        return true;
    }

    bool isModule()
    {
        Scanner scanner(source_);
        tokens_ = scanner.all();
        for (size_t i = 0; i < tokens_.size(); ++i) {
            if (tok(i).kind != Kind::Identifier || tok(i).depth != 0 || afterDot(i))
                continue;
            if (is(i, "export"))
                return true;
            if (is(i, "import") && !punct(i + 1, '(') && !punct(i + 1, '.'))
                return true;
        }
        return false;
    }

private:
    struct Import {
        std::string specifier;
        int line;
        std::vector<std::pair<std::string, std::string>> names; // imported, local
        std::string namespaceName;
    };

    bool fail(int line, const std::string& what, std::string& error) const
    {
        error = path_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    void problem(int line, const std::string& what)
    {
        if (error_.empty()) {
            error_ = what;
            errorLine_ = line;
        }
    }

    // The token at `i`, or the End token for a look-ahead past it.
    const Token& tok(size_t i) const { return tokens_[std::min(i, tokens_.size() - 1)]; }

    std::string text(size_t i) const { return source_.substr(tok(i).begin, tok(i).end - tok(i).begin); }
    bool is(size_t i, const char* word) const { return tok(i).kind == Kind::Identifier && text(i) == word; }
    bool punct(size_t i, char c) const
    {
        return tok(i).kind == Kind::Punctuator && source_[tok(i).begin] == c;
    }
    bool afterDot(size_t i) const
    {
        // "a.import" and "a?.import" are properties; "...import" would not parse anyway.
        return i > 0 && punct(i - 1, '.');
    }

    // Replaces the source from token `first` to the end of token `last` with spaces, keeping line
    // breaks.
    void blank(size_t first, size_t last) { replace(tok(first).begin, tok(last).end, std::string()); }

    // Replaces the source from token `first` up to the start of token `next` with `replacement`,
    // keeping its line breaks after it.
    void overwrite(size_t first, size_t next, const std::string& replacement)
    {
        replace(tok(first).begin, tok(next).begin, replacement);
    }

    void replace(size_t begin, size_t end, std::string replacement)
    {
        size_t lineBreaks = 0;
        for (size_t i = begin; i < end; ++i)
            lineBreaks += source_[i] == '\n';
        if (replacement.empty())
            for (size_t i = begin; i < end; ++i)
                replacement += source_[i] == '\n' ? '\n' : ' ';
        else
            replacement += std::string(lineBreaks, '\n') + " ";
        edits_.push_back({begin, end, std::move(replacement)});
    }

    std::string edited() const
    {
        std::string out;
        size_t at = 0;
        for (const Edit& edit : edits_) {
            out.append(source_, at, edit.begin - at);
            out += edit.replacement;
            at = edit.end;
        }
        out.append(source_, at, std::string::npos);
        return out;
    }

    std::string name(size_t i) const
    {
        return tok(i).kind == Kind::String ? stringValue(source_, tok(i)) : text(i);
    }

    bool expectIdentifier(size_t i, const char* what)
    {
        if (tok(i).kind == Kind::Identifier)
            return true;
        problem(tok(i).line, std::string("expected ") + what);
        return false;
    }

    // "{ a, b as c, 'd' as e }" from the token after "{"; the position after "}".
    bool nameList(size_t& i, std::vector<std::pair<std::string, std::string>>& names, bool exporting)
    {
        while (!punct(i, '}')) {
            if (tok(i).kind != Kind::Identifier && tok(i).kind != Kind::String) {
                problem(tok(i).line, "expected a name in { }");
                return false;
            }
            std::string outer = name(i);
            std::string inner = outer;
            ++i;
            if (is(i, "as")) {
                ++i;
                if (tok(i).kind != Kind::Identifier && tok(i).kind != Kind::String) {
                    problem(tok(i).line, "expected a name after 'as'");
                    return false;
                }
                (exporting ? outer : inner) = name(i);
                ++i;
            }
            names.emplace_back(exporting ? inner : outer, exporting ? outer : inner);
            if (punct(i, ','))
                ++i;
            else if (!punct(i, '}')) {
                problem(tok(i).line, "expected ',' or '}'");
                return false;
            }
        }
        ++i;
        return true;
    }

    void importAt()
    {
        const size_t start = pos_;
        const Token& keyword = tok(pos_);
        if (punct(pos_ + 1, '.')) {
            if (!is(pos_ + 2, "meta")) {
                problem(keyword.line, "expected import.meta");
                return;
            }
            overwrite(pos_, pos_ + 3, "__module.meta");
            pos_ += 3;
            return;
        }
        if (punct(pos_ + 1, '(')) {
            overwrite(pos_, pos_ + 1, "__module.dynamicImport");
            ++pos_;
            return;
        }
        const Kind after = tok(pos_ + 1).kind;
        const bool declaration = after == Kind::Identifier || after == Kind::String || punct(pos_ + 1, '{') ||
                                 punct(pos_ + 1, '*');
        if (!declaration) { // a property name, as in { import: 1 }
            ++pos_;
            return;
        }
        if (keyword.depth != 0) {
            problem(keyword.line, "an import declaration must be at the top level of the module");
            return;
        }
        Import import;
        import.line = keyword.line;
        size_t i = pos_ + 1;
        if (tok(i).kind != Kind::String) {
            if (tok(i).kind == Kind::Identifier && !is(i, "from")) {
                import.names.emplace_back("default", text(i));
                ++i;
                if (punct(i, ','))
                    ++i;
                else if (!is(i, "from")) {
                    problem(tok(i).line, "expected ',' or 'from'");
                    return;
                }
            }
            if (punct(i, '*')) {
                if (!is(i + 1, "as") || !expectIdentifier(i + 2, "a name after '* as'"))
                    return problem(tok(i).line, "expected '* as name'");
                import.namespaceName = text(i + 2);
                i += 3;
            } else if (punct(i, '{')) {
                ++i;
                if (!nameList(i, import.names, false))
                    return;
            }
            if (!is(i, "from")) {
                problem(tok(i).line, "expected 'from'");
                return;
            }
            ++i;
            if (tok(i).kind != Kind::String) {
                problem(tok(i).line, "expected the module's name as a string");
                return;
            }
        }
        import.specifier = stringValue(source_, tok(i));
        if (is(i + 1, "with") || is(i + 1, "assert")) {
            problem(tok(i + 1).line, "import attributes are not supported");
            return;
        }
        if (punct(i + 1, ';'))
            ++i;
        blank(start, i);
        imports_.push_back(std::move(import));
        pos_ = i + 1;
    }

    void exportAt()
    {
        const size_t start = pos_;
        const int line = tok(pos_).line;
        size_t i = pos_ + 1;
        if (is(i, "const") || is(i, "let") || is(i, "var")) {
            if (tok(i + 1).kind != Kind::Identifier) {
                problem(line, "destructuring in an export declaration is not supported: export each name");
                return;
            }
            exports_.emplace_back(text(i + 1), text(i + 1));
            blank(start, start);
            pos_ = i + 2;
        } else if (is(i, "function") || is(i, "class") || (is(i, "async") && is(i + 1, "function"))) {
            size_t n = i + (is(i, "async") ? 2 : 1);
            if (punct(n, '*'))
                ++n;
            if (!expectIdentifier(n, "a name: an exported function or class needs one"))
                return;
            exports_.emplace_back(text(n), text(n));
            blank(start, start);
            pos_ = n + 1;
        } else if (is(i, "default")) {
            size_t n = i + 1;
            const bool declaration = is(n, "function") || is(n, "class") || (is(n, "async") && is(n + 1, "function"));
            if (declaration) {
                n += is(n, "async") ? 2 : 1;
                if (punct(n, '*'))
                    ++n;
            }
            if (declaration && tok(n).kind == Kind::Identifier) {
                exports_.emplace_back("default", text(n));
                blank(start, i);
            } else {
                exports_.emplace_back("default", "__moduleDefault");
                overwrite(start, i + 1, "const __moduleDefault =");
            }
            pos_ = i + 1;
        } else if (punct(i, '{')) {
            ++i;
            std::vector<std::pair<std::string, std::string>> names;
            if (!nameList(i, names, true))
                return;
            if (is(i, "from")) {
                problem(line, "re-exports (export ... from) are not supported: import, then export");
                return;
            }
            for (const auto& [local, exported] : names)
                exports_.emplace_back(exported, local);
            if (punct(i, ';'))
                ++i;
            blank(start, i - 1);
            pos_ = i;
        } else if (punct(i, '*')) {
            problem(line, "export * is not supported: import, then export");
        } else {
            problem(line, "expected a declaration, default or { } after export");
        }
    }

    // The head of the module's function, all on the source's first line: the namespace's getters,
    // then each import, awaited in order.
    std::string head() const
    {
        std::ostringstream out;
        out << "(async function (__module) {\"use strict\";__module.exports({";
        std::set<std::string> seen;
        for (const auto& [exported, local] : exports_) {
            if (!seen.insert(exported).second)
                continue;
            out << quote(exported) << ": () => " << local << ", ";
        }
        out << "});";
        for (size_t n = 0; n < imports_.size(); ++n) {
            const Import& import = imports_[n];
            std::ostringstream names, bindings;
            for (const auto& [imported, local] : import.names) {
                names << quote(imported) << ",";
                bindings << quote(imported) << ": " << local << ", ";
            }
            const std::string call = "await __module.import(" + quote(import.specifier) + ", " +
                                     std::to_string(import.line) + ", [" + names.str() + "])";
            if (import.namespaceName.empty() && import.names.empty()) {
                out << call << ";";
                continue;
            }
            const std::string ns = import.namespaceName.empty() ? "__imported" + std::to_string(n) : import.namespaceName;
            out << "const " << ns << " = " << call << ";";
            if (!import.names.empty())
                out << "const {" << bindings.str() << "} = " << ns << ";";
        }
        return out.str();
    }

    const std::string& source_;
    const std::string& path_;
    std::vector<Token> tokens_;
    struct Edit {
        size_t begin;
        size_t end;
        std::string replacement;
    };
    std::vector<Edit> edits_; // in source order, not overlapping
    size_t pos_ = 0;
    std::vector<Import> imports_;
    std::vector<std::pair<std::string, std::string>> exports_; // exported, local
    std::string error_;
    int errorLine_ = 0;
};

} // namespace

bool isModuleSource(const std::string& source)
{
    return Translator(source, std::string()).isModule();
}

bool translateModule(const std::string& source, const std::string& path, std::string& code, std::string& error)
{
    return Translator(source, path).run(code, error);
}

std::string resolveModulePath(const std::string& specifier, const std::string& referrer)
{
    std::string target = specifier.rfind("file://", 0) == 0 ? specifier.substr(7) : specifier;
    std::string joined;
    if (target.rfind("/", 0) == 0) {
        joined = target;
    } else if (target.rfind("./", 0) == 0 || target.rfind("../", 0) == 0) {
        const auto slash = referrer.rfind('/');
        joined = (slash == std::string::npos ? std::string(".") : referrer.substr(0, slash)) + "/" + target;
    } else {
        return std::string();
    }
    const bool absolute = joined[0] == '/';
    std::vector<std::string> parts;
    std::istringstream in(joined);
    std::string part;
    while (std::getline(in, part, '/')) {
        if (part.empty() || part == ".")
            continue;
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (part != ".." || !absolute)
            parts.push_back(part);
    }
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "/" : "") + parts[i];
    return out.empty() ? "." : out;
}

} // namespace script
