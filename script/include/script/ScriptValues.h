// Small things both page hosts do with script values: errors to throw, text of any value,
// objects of the page's own built-ins, and a hook for promises nobody handled.
#ifndef SCRIPT_SCRIPTVALUES_H
#define SCRIPT_SCRIPTVALUES_H

#include <string>

#include <JavaScriptCore/JavaScript.h>

namespace script {

// A new error made by the global constructor `type` ("Error", "TypeError", ...) with `message`;
// a plain Error when there is no such constructor or it throws.
JSObjectRef makeError(JSContextRef ctx, const char* type, const std::string& message);

// String(value) as UTF-8; `fallback` when the conversion throws.
std::string textOf(JSContextRef ctx, JSValueRef value, const std::string& fallback = "(no text)");

// The property `name` of `object` as UTF-8 text; empty when it is missing, not a string, or
// reading it throws.
std::string stringProperty(JSContextRef ctx, JSObjectRef object, const char* name);

// The number property `name` of `object`, or `fallback`.
double numberProperty(JSContextRef ctx, JSObjectRef object, const char* name, double fallback);

// `callback` runs with (promise, reason) for every promise rejected without a handler once the
// jobs of the current task are done, as a browser reports "Uncaught (in promise)".
void onUnhandledRejection(JSGlobalContextRef ctx, JSObjectCallAsFunctionCallback callback);

} // namespace script

#endif
