#include "InstanceFunctions.h"

#include "BrowserCalls.h"
#include "ModelNegotiation.h"
#include "ScriptableObject.h"
#include "UserAgentRule.h"

using namespace device_plugin;

NPError NPP_New(NPMIMEType, NPP instance, uint16_t, int16_t, char*[], char*[], NPSavedData*)
{
    if (instance == nullptr || browser == nullptr || browser->version < NPVERS_HAS_NPRUNTIME_SCRIPTING)
        return NPERR_INVALID_INSTANCE_ERROR;
    instance->pdata = NPN_CreateObject(instance, getPluginClass());
    return negotiateModels(instance);
}

// The instance's object is left to the browser, which reclaims what an instance created when it goes;
// the engine keeps running for the other instances and later pages.
NPError NPP_Destroy(NPP, NPSavedData**)
{
    return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP, NPWindow*)
{
    return NPERR_NO_ERROR;
}

NPError NPP_NewStream(NPP, NPMIMEType, NPStream*, NPBool, uint16_t* stype)
{
    if (stype)
        *stype = NP_ASFILEONLY;
    return NPERR_NO_ERROR;
}

NPError NPP_DestroyStream(NPP, NPStream*, NPReason)
{
    return NPERR_NO_ERROR;
}

void NPP_StreamAsFile(NPP, NPStream*, const char*) {}

int32_t NPP_WriteReady(NPP, NPStream*)
{
    return 0;
}

int32_t NPP_Write(NPP, NPStream*, int32_t, int32_t, void*)
{
    return 0;
}

void NPP_Print(NPP, NPPrint*) {}

int16_t NPP_HandleEvent(NPP instance, void*)
{
    return instance && instance->pdata ? 1 : 0;
}

void NPP_URLNotify(NPP, const char*, NPReason, void*) {}

NPError NPP_GetValue(NPP instance, NPPVariable variable, void* value)
{
    if (variable != NPPVpluginScriptableNPObject)
        return NPERR_GENERIC_ERROR;
    if (instance == nullptr)
        return NPERR_INVALID_INSTANCE_ERROR;
    if (value == nullptr)
        return NPERR_INVALID_PARAM;
    auto* object = static_cast<NPObject*>(instance->pdata);
    if (object && !browserRetainsScriptableObject(NPN_UserAgent(instance)))
        NPN_RetainObject(object);
    *static_cast<NPObject**>(value) = object;
    return NPERR_NO_ERROR;
}

NPError NPP_SetValue(NPP, NPNVariable, void*)
{
    return NPERR_GENERIC_ERROR;
}
