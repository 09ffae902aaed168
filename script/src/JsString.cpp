#include "script/JsString.h"

#include "script/Utf.h"

namespace script {

JsString JsString::fromUtf8(const std::string& text)
{
    return fromUtf16(utf8ToUtf16(text));
}

JsString JsString::fromUtf16(const std::u16string& text)
{
    static_assert(sizeof(JSChar) == sizeof(char16_t), "the engine's characters are UTF-16 code units");
    return JsString(JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(text.data()), text.size()));
}

JsString JsString::of(JSContextRef ctx, JSValueRef value, JSValueRef* exception)
{
    return JsString(JSValueToStringCopy(ctx, value, exception));
}

JsString& JsString::operator=(JsString&& other) noexcept
{
    if (this != &other) {
        if (string_)
            JSStringRelease(string_);
        string_ = other.string_;
        other.string_ = nullptr;
    }
    return *this;
}

JsString::~JsString()
{
    if (string_)
        JSStringRelease(string_);
}

std::u16string JsString::utf16() const
{
    if (!string_)
        return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string_)),
                          JSStringGetLength(string_));
}

std::string JsString::utf8() const
{
    const std::u16string text = utf16();
    return utf16ToUtf8(text);
}

} // namespace script
