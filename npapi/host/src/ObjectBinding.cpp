#include "ObjectBinding.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "BrowserFunctions.h"
#include "TextEncoding.h"
#include "nphost/Browser.h"
#include "nphost/ObjectRegistry.h"

namespace nphost {
namespace {

const char BINDING_KEY[] = DUK_HIDDEN_SYMBOL("objectBinding");
const char WRAPPERS_KEY[] = DUK_HIDDEN_SYMBOL("wrappedObjects");
const char WRAPPER_INDEX_KEY[] = DUK_HIDDEN_SYMBOL("wrapper");
const char METHOD_KEY[] = DUK_HIDDEN_SYMBOL("method");
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

} // namespace

ObjectBinding::ObjectBinding(duk_context* ctx) : ctx_(ctx)
{
    duk_push_global_stash(ctx_);
    duk_push_pointer(ctx_, this);
    duk_put_prop_string(ctx_, -2, BINDING_KEY);
    duk_push_array(ctx_);
    duk_put_prop_string(ctx_, -2, WRAPPERS_KEY);
    duk_pop(ctx_);
}

ObjectBinding& ObjectBinding::of(duk_context* ctx)
{
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, BINDING_KEY);
    auto* binding = static_cast<ObjectBinding*>(duk_get_pointer(ctx, -1));
    duk_pop_2(ctx);
    return *binding;
}

void ObjectBinding::push(NPObject* object)
{
    ObjectRegistry& registry = ObjectRegistry::instance();
    auto known = byObject_.find(object);
    if (known != byObject_.end()) {
        const Wrapper& wrapper = wrappers_[known->second];
        if (registry.isAlive(wrapper.object, wrapper.serial)) {
            duk_push_heapptr(ctx_, wrapper.proxy);
            return;
        }
    }
    const uint64_t serial = object ? registry.serialOf(object) : 0;
    if (serial == 0) {
        // Not an object of this browser: script sees null rather than a pointer it cannot use.
        duk_push_null(ctx_);
        return;
    }
    npn::retainObject(object);
    const size_t index = wrappers_.size();
    wrappers_.push_back(Wrapper{index, object, serial, nullptr, false});

    duk_push_c_function(ctx_, callDefault, DUK_VARARGS);
    duk_push_number(ctx_, static_cast<double>(index));
    duk_put_prop_string(ctx_, -2, WRAPPER_INDEX_KEY);
    duk_push_c_function(ctx_, finalize, 2);
    duk_set_finalizer(ctx_, -2);

    duk_push_object(ctx_);
    duk_push_c_function(ctx_, getTrap, 3);
    duk_put_prop_string(ctx_, -2, "get");
    duk_push_c_function(ctx_, hasTrap, 2);
    duk_put_prop_string(ctx_, -2, "has");
    duk_push_c_function(ctx_, setTrap, 4);
    duk_put_prop_string(ctx_, -2, "set");
    duk_push_c_function(ctx_, deleteTrap, 2);
    duk_put_prop_string(ctx_, -2, "deleteProperty");
    duk_push_number(ctx_, static_cast<double>(index));
    duk_put_prop_string(ctx_, -2, WRAPPER_INDEX_KEY);
    duk_push_proxy(ctx_, 0);

    void* proxy = duk_get_heapptr(ctx_, -1);
    wrappers_[index].proxy = proxy;
    byProxy_[proxy] = index;
    byObject_[object] = index;

    // The stash keeps the wrapper, so one object keeps one script identity for the page's life.
    duk_push_global_stash(ctx_);
    duk_get_prop_string(ctx_, -1, WRAPPERS_KEY);
    duk_dup(ctx_, -3);
    duk_put_prop_index(ctx_, -2, static_cast<duk_uarridx_t>(index));
    duk_pop_2(ctx_);
}

NPObject* ObjectBinding::wrappedObjectAt(duk_idx_t index)
{
    auto found = byProxy_.find(duk_get_heapptr(ctx_, index));
    if (found == byProxy_.end())
        return nullptr;
    const Wrapper& wrapper = wrappers_[found->second];
    return ObjectRegistry::instance().isAlive(wrapper.object, wrapper.serial) ? wrapper.object : nullptr;
}

void ObjectBinding::toVariant(duk_idx_t index, NPVariant& variant, ArgumentStorage& storage)
{
    switch (duk_get_type(ctx_, index)) {
    case DUK_TYPE_NULL:
        NULL_TO_NPVARIANT(variant);
        return;
    case DUK_TYPE_BOOLEAN:
        BOOLEAN_TO_NPVARIANT(duk_get_boolean(ctx_, index), variant);
        return;
    case DUK_TYPE_NUMBER: {
        const double number = duk_get_number(ctx_, index);
        if (isExactInt32(number))
            INT32_TO_NPVARIANT(static_cast<int32_t>(number), variant);
        else
            DOUBLE_TO_NPVARIANT(number, variant);
        return;
    }
    case DUK_TYPE_STRING: {
        if (duk_is_symbol(ctx_, index))
            break;
        duk_size_t length = 0;
        const char* text = duk_get_lstring(ctx_, index, &length);
        storage.strings.push_back(scriptTextToUtf8(text, length));
        STRINGN_TO_NPVARIANT(storage.strings.back().data(), storage.strings.back().size(), variant);
        return;
    }
    case DUK_TYPE_OBJECT:
    case DUK_TYPE_BUFFER:
    case DUK_TYPE_LIGHTFUNC: {
        NPObject* object = wrappedObjectAt(index);
        if (!object) {
            storage.objects.push_back(ObjectRef::adopt(npn::createObject(nullptr, &scriptValueClass)));
            object = storage.objects.back().get();
        }
        OBJECT_TO_NPVARIANT(object, variant);
        return;
    }
    default:
        break;
    }
    VOID_TO_NPVARIANT(variant);
}

void ObjectBinding::pushVariant(const NPVariant& variant)
{
    switch (variant.type) {
    case NPVariantType_Void:
        duk_push_undefined(ctx_);
        return;
    case NPVariantType_Null:
        duk_push_null(ctx_);
        return;
    case NPVariantType_Bool:
        duk_push_boolean(ctx_, NPVARIANT_TO_BOOLEAN(variant));
        return;
    case NPVariantType_Int32:
        duk_push_int(ctx_, NPVARIANT_TO_INT32(variant));
        return;
    case NPVariantType_Double:
        duk_push_number(ctx_, NPVARIANT_TO_DOUBLE(variant));
        return;
    case NPVariantType_String: {
        const NPString& string = NPVARIANT_TO_STRING(variant);
        const std::string text =
            string.UTF8Characters ? utf8ToScriptText(string.UTF8Characters, string.UTF8Length) : std::string();
        duk_push_lstring(ctx_, text.data(), text.size());
        return;
    }
    case NPVariantType_Object:
        push(NPVARIANT_TO_OBJECT(variant));
        return;
    }
    duk_push_undefined(ctx_);
}

NPIdentifier ObjectBinding::identifierAt(duk_context* ctx, duk_idx_t index)
{
    if (duk_is_symbol(ctx, index) || !duk_is_string(ctx, index))
        return nullptr;
    duk_size_t length = 0;
    const char* key = duk_get_lstring(ctx, index, &length);
    const std::string name = scriptTextToUtf8(key, length);
    int32_t number = 0;
    if (parseIndex(name, number))
        return npn::getIntIdentifier(number);
    return npn::getStringIdentifier(name.c_str());
}

bool ObjectBinding::pushPendingException(duk_context* ctx)
{
    const std::string message = takeScriptException();
    if (message.empty())
        return false;
    duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", message.c_str());
    return true;
}

ObjectBinding::Wrapper* ObjectBinding::wrapperAt(duk_idx_t index)
{
    duk_get_prop_string(ctx_, index, WRAPPER_INDEX_KEY);
    const auto position = static_cast<size_t>(duk_get_number(ctx_, -1));
    duk_pop(ctx_);
    if (position >= wrappers_.size()
        || !ObjectRegistry::instance().isAlive(wrappers_[position].object, wrappers_[position].serial)) {
        duk_push_error_object(ctx_, DUK_ERR_ERROR, "%s", OBJECT_GONE);
        return nullptr;
    }
    return &wrappers_[position];
}

// Invokes `method` (or the default method when null) with the script arguments at 0..argCount-1;
// leaves the result, or an error to throw, on top of the stack.
bool ObjectBinding::call(Wrapper* wrapper, NPIdentifier method, duk_idx_t argCount)
{
    ArgumentStorage storage;
    std::vector<NPVariant> args(static_cast<size_t>(argCount));
    for (duk_idx_t i = 0; i < argCount; ++i)
        toVariant(i, args[static_cast<size_t>(i)], storage);
    NPVariant result;
    VOID_TO_NPVARIANT(result);
    const auto count = static_cast<uint32_t>(argCount);
    const bool done = method ? npn::invoke(nullptr, wrapper->object, method, args.data(), count, &result)
                             : npn::invokeDefault(nullptr, wrapper->object, args.data(), count, &result);
    if (pushPendingException(ctx_)) {
        npn::releaseVariantValue(&result);
        return false;
    }
    if (!done) {
        duk_push_error_object(ctx_, DUK_ERR_ERROR, "%s", CALL_FAILED);
        return false;
    }
    pushVariant(result);
    npn::releaseVariantValue(&result);
    return true;
}

duk_ret_t ObjectBinding::callDefault(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    const duk_idx_t argCount = duk_get_top(ctx);
    duk_push_current_function(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    duk_pop(ctx);
    if (!binding.call(wrapper, nullptr, argCount))
        return duk_throw(ctx);
    return 1;
}

duk_ret_t ObjectBinding::callMethod(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    const duk_idx_t argCount = duk_get_top(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, METHOD_KEY);
    auto method = static_cast<NPIdentifier>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    duk_pop(ctx);
    if (!binding.call(wrapper, method, argCount))
        return duk_throw(ctx);
    return 1;
}

duk_ret_t ObjectBinding::getTrap(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    duk_push_this(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    NPIdentifier name = identifierAt(ctx, 1);
    if (name && npn::hasProperty(nullptr, wrapper->object, name)) {
        NPVariant value;
        VOID_TO_NPVARIANT(value);
        const bool read = npn::getProperty(nullptr, wrapper->object, name, &value);
        if (pushPendingException(ctx)) {
            npn::releaseVariantValue(&value);
            return duk_throw(ctx);
        }
        if (read)
            binding.pushVariant(value);
        else
            duk_push_undefined(ctx);
        npn::releaseVariantValue(&value);
        return 1;
    }
    if (name && npn::hasMethod(nullptr, wrapper->object, name)) {
        duk_push_c_function(ctx, callMethod, DUK_VARARGS);
        duk_push_number(ctx, static_cast<double>(wrapper->index));
        duk_put_prop_string(ctx, -2, WRAPPER_INDEX_KEY);
        duk_push_pointer(ctx, name);
        duk_put_prop_string(ctx, -2, METHOD_KEY);
        return 1;
    }
    // Anything else is answered by the function behind the proxy (toString and the like).
    duk_dup(ctx, 1);
    duk_get_prop(ctx, 0);
    return 1;
}

duk_ret_t ObjectBinding::hasTrap(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    duk_push_this(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    NPIdentifier name = identifierAt(ctx, 1);
    const bool has = name
                     && (npn::hasProperty(nullptr, wrapper->object, name)
                         || npn::hasMethod(nullptr, wrapper->object, name));
    duk_push_boolean(ctx, has);
    return 1;
}

duk_ret_t ObjectBinding::setTrap(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    duk_push_this(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    NPIdentifier name = identifierAt(ctx, 1);
    bool stored = false;
    if (name) {
        ArgumentStorage storage;
        NPVariant value;
        binding.toVariant(2, value, storage);
        stored = npn::setProperty(nullptr, wrapper->object, name, &value);
    }
    if (pushPendingException(ctx))
        return duk_throw(ctx);
    // A refusal fails the assignment: silently in sloppy code, with a TypeError in strict code.
    duk_push_boolean(ctx, stored);
    return 1;
}

duk_ret_t ObjectBinding::deleteTrap(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    duk_push_this(ctx);
    Wrapper* wrapper = binding.wrapperAt(-1);
    if (!wrapper)
        return duk_throw(ctx);
    NPIdentifier name = identifierAt(ctx, 1);
    const bool removed = name && npn::removeProperty(nullptr, wrapper->object, name);
    if (pushPendingException(ctx))
        return duk_throw(ctx);
    duk_push_boolean(ctx, removed);
    return 1;
}

// Runs when the heap lets the wrapper go (at the latest when it is destroyed): gives back the
// wrapper's reference unless the object went with its instance already.
duk_ret_t ObjectBinding::finalize(duk_context* ctx)
{
    ObjectBinding& binding = of(ctx);
    duk_get_prop_string(ctx, 0, WRAPPER_INDEX_KEY);
    const auto position = static_cast<size_t>(duk_get_number(ctx, -1));
    duk_pop(ctx);
    if (position >= binding.wrappers_.size())
        return 0;
    Wrapper& wrapper = binding.wrappers_[position];
    if (!wrapper.released && ObjectRegistry::instance().isAlive(wrapper.object, wrapper.serial))
        npn::releaseObject(wrapper.object);
    wrapper.released = true;
    return 0;
}

} // namespace nphost
