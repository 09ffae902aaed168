// An engine string owned by this object, made from and read back as UTF-8 or UTF-16 without
// losing NUL characters or unpaired surrogates on the UTF-16 side.
#ifndef SCRIPT_JSSTRING_H
#define SCRIPT_JSSTRING_H

#include <string>

#include <JavaScriptCore/JavaScript.h>

namespace script {

class JsString {
public:
    static JsString fromUtf8(const std::string& text);
    static JsString fromUtf16(const std::u16string& text);
    // Takes over a string the engine handed out with a reference (a "Copy" or "Create" call).
    static JsString adopt(JSStringRef string) { return JsString(string); }
    // The string form of `value`, as String(value) gives it; empty (get() is null) with
    // `exception` set when the conversion threw (a symbol, a throwing toString).
    static JsString of(JSContextRef ctx, JSValueRef value, JSValueRef* exception);

    JsString(JsString&& other) noexcept : string_(other.string_) { other.string_ = nullptr; }
    JsString& operator=(JsString&& other) noexcept;
    JsString(const JsString&) = delete;
    JsString& operator=(const JsString&) = delete;
    ~JsString();

    JSStringRef get() const { return string_; }
    std::u16string utf16() const;
    std::string utf8() const;
    JSValueRef value(JSContextRef ctx) const { return JSValueMakeString(ctx, string_); }

private:
    explicit JsString(JSStringRef string) : string_(string) {}
    JSStringRef string_;
};

} // namespace script

#endif
