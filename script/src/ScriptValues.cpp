#include "script/ScriptValues.h"

#include "script/JsString.h"

// Exported by the engine library but declared only among its private headers; it is the
// engine's own way to learn of rejections that no handler took.
extern "C" JS_EXPORT void JSGlobalContextSetUnhandledRejectionCallback(JSGlobalContextRef ctx, JSObjectRef function,
                                                                        JSValueRef* exception);

namespace script {

JSObjectRef makeError(JSContextRef ctx, const char* type, const std::string& message)
{
    JSValueRef text = JsString::fromUtf8(message).value(ctx);
    const JsString name = JsString::fromUtf8(type);
    JSValueRef ignored = nullptr;
    JSValueRef constructor = JSObjectGetProperty(ctx, JSContextGetGlobalObject(ctx), name.get(), &ignored);
    if (!ignored && constructor && JSValueIsObject(ctx, constructor)) {
        JSObjectRef made =
            JSObjectCallAsConstructor(ctx, JSValueToObject(ctx, constructor, nullptr), 1, &text, &ignored);
        if (made && !ignored)
            return made;
    }
    return JSObjectMakeError(ctx, 1, &text, nullptr);
}

std::string textOf(JSContextRef ctx, JSValueRef value, const std::string& fallback)
{
    JSValueRef exception = nullptr;
    const JsString text = JsString::of(ctx, value, &exception);
    return exception || !text.get() ? fallback : text.utf8();
}

std::string stringProperty(JSContextRef ctx, JSObjectRef object, const char* name)
{
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(ctx, object, JsString::fromUtf8(name).get(), &exception);
    if (exception || !value || !JSValueIsString(ctx, value))
        return std::string();
    return textOf(ctx, value, std::string());
}

double numberProperty(JSContextRef ctx, JSObjectRef object, const char* name, double fallback)
{
    JSValueRef exception = nullptr;
    JSValueRef value = JSObjectGetProperty(ctx, object, JsString::fromUtf8(name).get(), &exception);
    if (exception || !value || !JSValueIsNumber(ctx, value))
        return fallback;
    return JSValueToNumber(ctx, value, nullptr);
}

void onUnhandledRejection(JSGlobalContextRef ctx, JSObjectCallAsFunctionCallback callback)
{
    JSObjectRef function = JSObjectMakeFunctionWithCallback(ctx, nullptr, callback);
    JSGlobalContextSetUnhandledRejectionCallback(ctx, function, nullptr);
}

} // namespace script
