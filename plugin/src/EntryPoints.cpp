// Module entry points: the browser finds these by name after loading the shared object.
#include <npapi/npfunctions.h>

#include "Export.h"
#include "InstanceFunctions.h"
#include "PluginState.h"

DEVICE_PLUGIN_EXPORT NPError NP_GetEntryPoints(NPPluginFuncs* pluginFuncs);

namespace {

const char MIME_DESCRIPTION[] = "application/x-remote-bridge::Remote control bridge";
const char PLUGIN_NAME[] = "Remote Bridge";
const char PLUGIN_DESCRIPTION[] = "Lets web pages talk to a USB remote control";

} // namespace

// Unix browsers hand over both tables here; others pass only their own and ask for ours through
// NP_GetEntryPoints.
DEVICE_PLUGIN_EXPORT NPError NP_Initialize(NPNetscapeFuncs* browserFuncs, NPPluginFuncs* pluginFuncs)
{
    if (browserFuncs == nullptr)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    device_plugin::browser = browserFuncs;
    if (pluginFuncs)
        return NP_GetEntryPoints(pluginFuncs);
    return NPERR_NO_ERROR;
}

NPError NP_GetEntryPoints(NPPluginFuncs* pluginFuncs)
{
    if (pluginFuncs == nullptr)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    pluginFuncs->version = 11;
    pluginFuncs->size = sizeof(NPPluginFuncs);
    pluginFuncs->newp = NPP_New;
    pluginFuncs->destroy = NPP_Destroy;
    pluginFuncs->setwindow = NPP_SetWindow;
    pluginFuncs->newstream = NPP_NewStream;
    pluginFuncs->destroystream = NPP_DestroyStream;
    pluginFuncs->asfile = NPP_StreamAsFile;
    pluginFuncs->writeready = NPP_WriteReady;
    pluginFuncs->write = NPP_Write;
    pluginFuncs->print = NPP_Print;
    pluginFuncs->event = NPP_HandleEvent;
    pluginFuncs->urlnotify = NPP_URLNotify;
    pluginFuncs->getvalue = NPP_GetValue;
    pluginFuncs->setvalue = NPP_SetValue;
    return NPERR_NO_ERROR;
}

// The engine lives as long as the process, whatever the browser does with the plug-in.
DEVICE_PLUGIN_EXPORT NPError NP_Shutdown()
{
    return NPERR_NO_ERROR;
}

DEVICE_PLUGIN_EXPORT const char* NP_GetMIMEDescription()
{
    return MIME_DESCRIPTION;
}

DEVICE_PLUGIN_EXPORT NPError NP_GetValue(void*, NPPVariable variable, void* value)
{
    if (value == nullptr)
        return NPERR_INVALID_PARAM;
    switch (variable) {
    case NPPVpluginNameString:
        *static_cast<const char**>(value) = PLUGIN_NAME;
        return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
        *static_cast<const char**>(value) = PLUGIN_DESCRIPTION;
        return NPERR_NO_ERROR;
    default:
        return NPERR_GENERIC_ERROR;
    }
}
