#include "extension.h"

#include <cctype>

#include "script/JsString.h"
#include "script/Utf.h"
#include "v8_context_impl.h"

namespace cef_stand_in {
namespace {

// A global that holds the native functions while an extension's code runs, and is deleted after.
const char kHolderGlobal[] = "__extensionNatives";

bool IsIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

size_t SkipSpace(const std::string& s, size_t i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

// Matches "native function NAME ( ) ;" at |start|; returns the end and the name.
bool MatchDeclaration(const std::string& s, size_t start, size_t& end, std::string& name) {
  static const std::string kNative = "native", kFunction = "function";
  if (s.compare(start, kNative.size(), kNative) != 0) return false;
  if (start > 0 && IsIdentifierChar(s[start - 1])) return false;
  size_t i = start + kNative.size();
  size_t after = SkipSpace(s, i);
  if (after == i || s.compare(after, kFunction.size(), kFunction) != 0) return false;
  i = after + kFunction.size();
  after = SkipSpace(s, i);
  if (after == i) return false;
  i = after;
  size_t name_start = i;
  while (i < s.size() && IsIdentifierChar(s[i])) ++i;
  if (i == name_start || std::isdigit(static_cast<unsigned char>(s[name_start]))) return false;
  name = s.substr(name_start, i - name_start);
  for (char expected : {'(', ')', ';'}) {
    i = SkipSpace(s, i);
    if (i >= s.size() || s[i] != expected) return false;
    ++i;
  }
  end = i;
  return true;
}

}  // namespace

Extension MakeExtension(const std::string& name, const std::string& code,
                        CefRefPtr<CefV8Handler> handler) {
  Extension extension{name, code, {}, handler};
  std::string& s = extension.code;
  for (size_t i = 0; i < s.size(); ++i) {
    size_t end;
    std::string native;
    if (!MatchDeclaration(s, i, end, native)) continue;
    extension.natives.push_back(native);
    for (size_t k = i; k < end; ++k) {
      if (s[k] != '\n') s[k] = ' ';
    }
    i = end - 1;
  }
  return extension;
}

bool InstallExtension(V8ContextImpl* context, const Extension& extension, std::string& error) {
  JSContextRef ctx = context->ctx();
  if (!ctx) return false;
  ScriptEngine& engine = *context->engine();
  JSObjectRef holder = engine.MakeExtensionHolder(ctx);
  for (const std::string& native : extension.natives) {
    JSObjectRef function = engine.MakeNativeFunction(
        context, script::utf8ToUtf16(native.data(), native.size()), extension.handler);
    JSObjectSetProperty(ctx, holder, script::JsString::fromUtf8(native).get(), function,
                        kJSPropertyAttributeNone, nullptr);
  }
  JSObjectRef global = JSContextGetGlobalObject(ctx);
  const script::JsString holder_name = script::JsString::fromUtf8(kHolderGlobal);
  JSObjectSetProperty(ctx, global, holder_name.get(), holder, kJSPropertyAttributeDontEnum,
                      nullptr);
  // The with-scope keeps the holder, so the natives stay in scope of every function the code
  // defines after the global is gone. Declared global variables still land on the global object.
  std::string code = std::string("with (") + kHolderGlobal + ") {" + extension.code + "\n}";
  CefRefPtr<CefV8Value> retval;
  CefRefPtr<CefV8Exception> exception;
  bool ok = context->Run(code, extension.name, retval, exception);
  JSObjectDeleteProperty(ctx, global, holder_name.get(), nullptr);
  if (!ok) error = exception->GetMessage().ToString();
  return ok;
}

}  // namespace cef_stand_in
