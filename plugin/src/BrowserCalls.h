// The browser services the plug-in uses, called through the function table saved by NP_Initialize.
#ifndef DEVICE_PLUGIN_BROWSERCALLS_H
#define DEVICE_PLUGIN_BROWSERCALLS_H

#include "PluginState.h"

namespace device_plugin {

inline void* NPN_MemAlloc(uint32_t size) { return browser->memalloc(size); }

inline const char* NPN_UserAgent(NPP instance) { return browser->uagent(instance); }

inline NPError NPN_GetValue(NPP instance, NPNVariable variable, void* value)
{
    return browser->getvalue(instance, variable, value);
}

inline NPError NPN_SetValue(NPP instance, NPPVariable variable, void* value)
{
    return browser->setvalue(instance, variable, value);
}

inline NPObject* NPN_CreateObject(NPP instance, NPClass* aClass) { return browser->createobject(instance, aClass); }

inline NPObject* NPN_RetainObject(NPObject* object) { return browser->retainobject(object); }

inline void NPN_GetStringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* identifiers)
{
    browser->getstringidentifiers(names, count, identifiers);
}

} // namespace device_plugin

#endif
