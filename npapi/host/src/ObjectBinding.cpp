#include "ObjectBinding.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "BrowserFunctions.h"
#include "nphost/Browser.h"
#include "nphost/ObjectRegistry.h"
#include "script/JsString.h"
#include "script/ScriptValues.h"

namespace nphost {
namespace {

using script::JsString;

const char CALL_FAILED[] = "Error calling method on NPObject.";
const char OBJECT_GONE[] = "The plug-in object is no longer available.";

// Script values that are not plug-in objects still reach a plug-in as objects, as in a browser; this
// host gives them no properties or methods.
NPClass scriptValueClass = {NP_CLASS_STRUCT_VERSION, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

bool isExactInt32(double value)
{
    return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()
           && std::trunc(value) == value && !(value == 0 && std::signbit(value));
}

// Array-index keys are integer identifiers in a browser; every other key is a string identifier.
bool parseIndex(const std::string& key, int32_t& number)
{
    if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == '0'))
        return false;
    long long value = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > std::numeric_limits<int32_t>::max())
        return false;
    number = static_cast<int32_t>(value);
    return true;
}

JSObjectRef globalProperty(JSContextRef ctx, const char* path)
{
    JSObjectRef object = JSContextGetGlobalObject(ctx);
    std::string rest = path;
    while (!rest.empty()) {
        const auto dot = rest.find('.');
        JSValueRef value = JSObjectGetProperty(ctx, object, JsString::fromUtf8(rest.substr(0, dot)).get(), nullptr);
        object = value && JSValueIsObject(ctx, value) ? JSValueToObject(ctx, value, nullptr) : nullptr;
        if (!object)
            return nullptr;
        rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    }
    JSValueProtect(ctx, object);
    return object;
}

JSClassRef makeClass(const char* name, JSObjectCallAsFunctionCallback call, JSObjectFinalizeCallback finalize)
{
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = name;
    definition.callAsFunction = call;
    definition.finalize = finalize;
    return JSClassCreate(&definition);
}

void defineTrap(JSContextRef ctx, JSObjectRef traps, const char* name, JSObjectCallAsFunctionCallback callback)
{
    const JsString key = JsString::fromUtf8(name);
    JSObjectSetProperty(ctx, traps, key.get(), JSObjectMakeFunctionWithCallback(ctx, key.get(), callback),
                        kJSPropertyAttributeReadOnly | kJSPropertyAttributeDontDelete, nullptr);
}

} // namespace

ObjectBinding::ObjectBinding(JSGlobalContextRef ctx)
    : ctx_(ctx),
      targetClass_(makeClass("PluginObject", callDefault, nullptr)),
      handlerClass_(makeClass("PluginObjectHandler", nullptr, nullptr)),
      methodClass_(makeClass("PluginMethod", callMethod, finalizeMethod)),
      proxyConstructor_(globalProperty(ctx, "Proxy")),
      functionPrototype_(globalProperty(ctx, "Function.prototype")),
      traps_(JSObjectMake(ctx, nullptr, nullptr))
{
    JSValueProtect(ctx_, traps_);
    defineTrap(ctx_, traps_, "get", getTrap);
    defineTrap(ctx_, traps_, "has", hasTrap);
    defineTrap(ctx_, traps_, "set", setTrap);
    defineTrap(ctx_, traps_, "deleteProperty", deleteTrap);
}

ObjectBinding::~ObjectBinding()
{
    ObjectRegistry& registry = ObjectRegistry::instance();
    for (Wrapper& wrapper : wrappers_) {
        // An object that went with its instance took the wrapper's reference along.
        if (!wrapper.released && registry.isAlive(wrapper.object, wrapper.serial))
            npn::releaseObject(wrapper.object);
        wrapper.released = true;
        JSValueUnprotect(ctx_, wrapper.proxy);
    }
    JSValueUnprotect(ctx_, traps_);
    JSValueUnprotect(ctx_, functionPrototype_);
    JSValueUnprotect(ctx_, proxyConstructor_);
    JSClassRelease(methodClass_);
    JSClassRelease(handlerClass_);
    JSClassRelease(targetClass_);
}

JSValueRef ObjectBinding::valueOf(NPObject* object)
{
    ObjectRegistry& registry = ObjectRegistry::instance();
    auto known = byObject_.find(object);
    if (known != byObject_.end() && registry.isAlive(known->second->object, known->second->serial))
        return known->second->proxy;
    const uint64_t serial = object ? registry.serialOf(object) : 0;
    if (serial == 0) {
        // Not an object of this browser: script sees null rather than a pointer it cannot use.
        return JSValueMakeNull(ctx_);
    }
    npn::retainObject(object);
    wrappers_.push_back(Wrapper{this, object, serial, nullptr, false});
    Wrapper* wrapper = &wrappers_.back();

    // A callable target, so that calling the object reaches invokeDefault; a handler whose traps
    // find the wrapper through it.
    JSObjectRef target = JSObjectMake(ctx_, targetClass_, wrapper);
    JSObjectSetPrototype(ctx_, target, functionPrototype_);
    JSObjectRef handler = JSObjectMake(ctx_, handlerClass_, wrapper);
    JSObjectSetPrototype(ctx_, handler, traps_);
    const JSValueRef parts[] = {target, handler};
    JSObjectRef proxy = proxyConstructor_ ? JSObjectCallAsConstructor(ctx_, proxyConstructor_, 2, parts, nullptr)
                                          : nullptr;
    if (!proxy)
        proxy = target;
    // Kept for the page's life, so that one object keeps one script identity.
    JSValueProtect(ctx_, proxy);
    wrapper->proxy = proxy;
    byProxy_[proxy] = wrapper;
    byObject_[object] = wrapper;
    return proxy;
}

NPObject* ObjectBinding::wrappedObject(JSContextRef ctx, JSValueRef value)
{
    auto found = byProxy_.find(JSValueToObject(ctx, value, nullptr));
    if (found == byProxy_.end())
        return nullptr;
    const Wrapper& wrapper = *found->second;
    return ObjectRegistry::instance().isAlive(wrapper.object, wrapper.serial) ? wrapper.object : nullptr;
}

void ObjectBinding::toVariant(JSContextRef ctx, JSValueRef value, NPVariant& variant, ArgumentStorage& storage)
{
    switch (JSValueGetType(ctx, value)) {
    case kJSTypeNull:
        NULL_TO_NPVARIANT(variant);
        return;
    case kJSTypeBoolean:
        BOOLEAN_TO_NPVARIANT(JSValueToBoolean(ctx, value), variant);
        return;
    case kJSTypeNumber: {
        const double number = JSValueToNumber(ctx, value, nullptr);
        if (isExactInt32(number))
            INT32_TO_NPVARIANT(static_cast<int32_t>(number), variant);
        else
            DOUBLE_TO_NPVARIANT(number, variant);
        return;
    }
    case kJSTypeString: {
        storage.strings.push_back(JsString::of(ctx, value, nullptr).utf8());
        STRINGN_TO_NPVARIANT(storage.strings.back().data(), storage.strings.back().size(), variant);
        return;
    }
    case kJSTypeObject: {
        NPObject* object = wrappedObject(ctx, value);
        if (!object) {
            storage.objects.push_back(ObjectRef::adopt(npn::createObject(nullptr, &scriptValueClass)));
            object = storage.objects.back().get();
        }
        OBJECT_TO_NPVARIANT(object, variant);
        return;
    }
    case kJSTypeUndefined:
    case kJSTypeSymbol:
    case kJSTypeBigInt:
        break;
    }
    VOID_TO_NPVARIANT(variant);
}

JSValueRef ObjectBinding::valueOf(JSContextRef ctx, const NPVariant& variant)
{
    switch (variant.type) {
    case NPVariantType_Void:
        return JSValueMakeUndefined(ctx);
    case NPVariantType_Null:
        return JSValueMakeNull(ctx);
    case NPVariantType_Bool:
        return JSValueMakeBoolean(ctx, NPVARIANT_TO_BOOLEAN(variant));
    case NPVariantType_Int32:
        return JSValueMakeNumber(ctx, NPVARIANT_TO_INT32(variant));
    case NPVariantType_Double:
        return JSValueMakeNumber(ctx, NPVARIANT_TO_DOUBLE(variant));
    case NPVariantType_String: {
        const NPString& string = NPVARIANT_TO_STRING(variant);
        const std::string text = string.UTF8Characters ? std::string(string.UTF8Characters, string.UTF8Length)
                                                       : std::string();
        return JsString::fromUtf8(text).value(ctx);
    }
    case NPVariantType_Object:
        return valueOf(NPVARIANT_TO_OBJECT(variant));
    }
    return JSValueMakeUndefined(ctx);
}

NPIdentifier ObjectBinding::identifierOf(JSContextRef ctx, JSValueRef key)
{
    if (!key || !JSValueIsString(ctx, key))
        return nullptr;
    const std::string name = JsString::of(ctx, key, nullptr).utf8();
    int32_t number = 0;
    if (parseIndex(name, number))
        return npn::getIntIdentifier(number);
    return npn::getStringIdentifier(name.c_str());
}

bool ObjectBinding::throwPendingException(JSContextRef ctx, JSValueRef* exception)
{
    const std::string message = takeScriptException();
    if (message.empty())
        return false;
    *exception = script::makeError(ctx, "Error", message);
    return true;
}

ObjectBinding::Wrapper* ObjectBinding::liveWrapper(JSContextRef ctx, JSObjectRef holder, JSValueRef* exception)
{
    auto* wrapper = holder ? static_cast<Wrapper*>(JSObjectGetPrivate(holder)) : nullptr;
    if (!wrapper || !ObjectRegistry::instance().isAlive(wrapper->object, wrapper->serial)) {
        *exception = script::makeError(ctx, "Error", OBJECT_GONE);
        return nullptr;
    }
    return wrapper;
}

// Invokes `method` (or the default method when null) with the script arguments.
JSValueRef ObjectBinding::call(JSContextRef ctx, Wrapper* wrapper, NPIdentifier method, size_t count,
                               const JSValueRef arguments[], JSValueRef* exception)
{
    ArgumentStorage storage;
    std::vector<NPVariant> args(count);
    for (size_t i = 0; i < count; ++i)
        toVariant(ctx, arguments[i], args[i], storage);
    NPVariant result;
    VOID_TO_NPVARIANT(result);
    const auto argCount = static_cast<uint32_t>(count);
    const bool done = method ? npn::invoke(nullptr, wrapper->object, method, args.data(), argCount, &result)
                             : npn::invokeDefault(nullptr, wrapper->object, args.data(), argCount, &result);
    if (throwPendingException(ctx, exception)) {
        npn::releaseVariantValue(&result);
        return JSValueMakeUndefined(ctx);
    }
    if (!done) {
        *exception = script::makeError(ctx, "Error", CALL_FAILED);
        return JSValueMakeUndefined(ctx);
    }
    JSValueRef value = valueOf(ctx, result);
    npn::releaseVariantValue(&result);
    return value;
}

JSObjectRef ObjectBinding::makeMethod(JSContextRef ctx, Wrapper* wrapper, NPIdentifier name)
{
    JSObjectRef method = JSObjectMake(ctx, methodClass_, new Method{wrapper, name});
    JSObjectSetPrototype(ctx, method, functionPrototype_);
    return method;
}

JSValueRef ObjectBinding::callDefault(JSContextRef ctx, JSObjectRef function, JSObjectRef, size_t count,
                                      const JSValueRef arguments[], JSValueRef* exception)
{
    Wrapper* wrapper = liveWrapper(ctx, function, exception);
    if (!wrapper)
        return JSValueMakeUndefined(ctx);
    return wrapper->binding->call(ctx, wrapper, nullptr, count, arguments, exception);
}

JSValueRef ObjectBinding::callMethod(JSContextRef ctx, JSObjectRef function, JSObjectRef, size_t count,
                                     const JSValueRef arguments[], JSValueRef* exception)
{
    auto* method = static_cast<Method*>(JSObjectGetPrivate(function));
    Wrapper* wrapper = method ? method->wrapper : nullptr;
    if (!wrapper || !ObjectRegistry::instance().isAlive(wrapper->object, wrapper->serial)) {
        *exception = script::makeError(ctx, "Error", OBJECT_GONE);
        return JSValueMakeUndefined(ctx);
    }
    return wrapper->binding->call(ctx, wrapper, method->name, count, arguments, exception);
}

void ObjectBinding::finalizeMethod(JSObjectRef method)
{
    delete static_cast<Method*>(JSObjectGetPrivate(method));
}

// get(target, key, receiver), with the handler as `this`.
JSValueRef ObjectBinding::getTrap(JSContextRef ctx, JSObjectRef, JSObjectRef handler, size_t count,
                                  const JSValueRef arguments[], JSValueRef* exception)
{
    Wrapper* wrapper = liveWrapper(ctx, handler, exception);
    if (!wrapper || count < 2)
        return JSValueMakeUndefined(ctx);
    NPIdentifier name = identifierOf(ctx, arguments[1]);
    if (name && npn::hasProperty(nullptr, wrapper->object, name)) {
        NPVariant value;
        VOID_TO_NPVARIANT(value);
        const bool read = npn::getProperty(nullptr, wrapper->object, name, &value);
        JSValueRef result = JSValueMakeUndefined(ctx);
        if (!throwPendingException(ctx, exception) && read)
            result = wrapper->binding->valueOf(ctx, value);
        npn::releaseVariantValue(&value);
        return result;
    }
    if (name && npn::hasMethod(nullptr, wrapper->object, name))
        return wrapper->binding->makeMethod(ctx, wrapper, name);
    // Anything else is answered by the function behind the proxy (toString and the like).
    JSObjectRef target = JSValueToObject(ctx, arguments[0], nullptr);
    return target ? JSObjectGetPropertyForKey(ctx, target, arguments[1], exception) : JSValueMakeUndefined(ctx);
}

JSValueRef ObjectBinding::hasTrap(JSContextRef ctx, JSObjectRef, JSObjectRef handler, size_t count,
                                  const JSValueRef arguments[], JSValueRef* exception)
{
    Wrapper* wrapper = liveWrapper(ctx, handler, exception);
    if (!wrapper)
        return JSValueMakeUndefined(ctx);
    NPIdentifier name = count > 1 ? identifierOf(ctx, arguments[1]) : nullptr;
    const bool has = name
                     && (npn::hasProperty(nullptr, wrapper->object, name)
                         || npn::hasMethod(nullptr, wrapper->object, name));
    return JSValueMakeBoolean(ctx, has);
}

// A refusal fails the assignment: silently in sloppy code, with a TypeError in strict code.
JSValueRef ObjectBinding::setTrap(JSContextRef ctx, JSObjectRef, JSObjectRef handler, size_t count,
                                  const JSValueRef arguments[], JSValueRef* exception)
{
    Wrapper* wrapper = liveWrapper(ctx, handler, exception);
    if (!wrapper)
        return JSValueMakeUndefined(ctx);
    NPIdentifier name = count > 2 ? identifierOf(ctx, arguments[1]) : nullptr;
    bool stored = false;
    if (name) {
        ArgumentStorage storage;
        NPVariant value;
        wrapper->binding->toVariant(ctx, arguments[2], value, storage);
        stored = npn::setProperty(nullptr, wrapper->object, name, &value);
    }
    if (throwPendingException(ctx, exception))
        return JSValueMakeUndefined(ctx);
    return JSValueMakeBoolean(ctx, stored);
}

JSValueRef ObjectBinding::deleteTrap(JSContextRef ctx, JSObjectRef, JSObjectRef handler, size_t count,
                                     const JSValueRef arguments[], JSValueRef* exception)
{
    Wrapper* wrapper = liveWrapper(ctx, handler, exception);
    if (!wrapper)
        return JSValueMakeUndefined(ctx);
    NPIdentifier name = count > 1 ? identifierOf(ctx, arguments[1]) : nullptr;
    const bool removed = name && npn::removeProperty(nullptr, wrapper->object, name);
    if (throwPendingException(ctx, exception))
        return JSValueMakeUndefined(ctx);
    return JSValueMakeBoolean(ctx, removed);
}

} // namespace nphost
