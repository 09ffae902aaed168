#include "ScriptableObject.h"

#include <cstdlib>

#include "BrowserCalls.h"
#include "VariantMethodCall.h"
#include "SuperSimpleEngineFactory.h"

namespace device_plugin {
namespace {

// The object's header is filled in by the browser; the instance is recorded for completeness.
struct PluginObject {
    NPObject header;
    NPP instance;
};

NPObject* pluginAllocate(NPP instance, NPClass*)
{
    if (!identifiersInitialized) {
        identifiersInitialized = true;
        NPN_GetStringIdentifiers(pluginPropertyIdentifierNames, PROPERTY_COUNT, pluginPropertyIdentifiers);
        NPN_GetStringIdentifiers(pluginMethodIdentifierNames, METHOD_COUNT, pluginMethodIdentifiers);
    }
    auto* object = static_cast<PluginObject*>(std::malloc(sizeof(PluginObject)));
    if (!object)
        return nullptr;
    object->instance = instance;
    return &object->header;
}

void pluginDeallocate(NPObject* object)
{
    std::free(reinterpret_cast<PluginObject*>(object));
}

void pluginInvalidate(NPObject*) {}

int methodIndex(NPIdentifier name)
{
    for (int i = 0; i < METHOD_COUNT; ++i)
        if (name == pluginMethodIdentifiers[i])
            return i;
    return -1;
}

bool pluginHasMethod(NPObject*, NPIdentifier name)
{
    return methodIndex(name) >= 0;
}

bool pluginInvoke(NPObject*, NPIdentifier name, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const int method = methodIndex(name);
    if (method < 0)
        return false;
    invokeMethod(static_cast<MethodIndex>(method), args, argCount, result);
    return true;
}

bool pluginInvokeDefault(NPObject*, const NPVariant*, uint32_t, NPVariant*)
{
    return false;
}

bool pluginHasProperty(NPObject*, NPIdentifier name)
{
    return name == pluginPropertyIdentifiers[0];
}

// "NULL" reads back the object itself, with a reference for the caller.
bool pluginGetProperty(NPObject* object, NPIdentifier name, NPVariant* result)
{
    if (name != pluginPropertyIdentifiers[0])
        return false;
    NPN_RetainObject(object);
    OBJECT_TO_NPVARIANT(object, *result);
    return true;
}

bool pluginSetProperty(NPObject*, NPIdentifier, const NPVariant*)
{
    return false;
}

bool pluginRemoveProperty(NPObject*, NPIdentifier)
{
    return false;
}

NPClass pluginClass = {
    NP_CLASS_STRUCT_VERSION_CTOR,
    pluginAllocate,
    pluginDeallocate,
    pluginInvalidate,
    pluginHasMethod,
    pluginInvoke,
    pluginInvokeDefault,
    pluginHasProperty,
    pluginGetProperty,
    pluginSetProperty,
    pluginRemoveProperty,
    nullptr,
    nullptr,
};

} // namespace
} // namespace device_plugin

NPClass* getPluginClass()
{
    using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;
    try {
        device_plugin::m_Skve = SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    } catch (...) {
        // The engine could not start; the methods then answer with the plug-in's failure texts.
    }
    return &device_plugin::pluginClass;
}
