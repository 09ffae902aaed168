// The instance functions the browser calls for each embedding element (exported by name as well as
// handed over in the plug-in function table).
#ifndef DEVICE_PLUGIN_INSTANCEFUNCTIONS_H
#define DEVICE_PLUGIN_INSTANCEFUNCTIONS_H

#include <npapi/npfunctions.h>

#include "Export.h"

DEVICE_PLUGIN_EXPORT NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                                     char* argv[], NPSavedData* saved);
DEVICE_PLUGIN_EXPORT NPError NPP_Destroy(NPP instance, NPSavedData** save);
DEVICE_PLUGIN_EXPORT NPError NPP_SetWindow(NPP instance, NPWindow* window);
DEVICE_PLUGIN_EXPORT NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                           uint16_t* stype);
DEVICE_PLUGIN_EXPORT NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
DEVICE_PLUGIN_EXPORT void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname);
DEVICE_PLUGIN_EXPORT int32_t NPP_WriteReady(NPP instance, NPStream* stream);
DEVICE_PLUGIN_EXPORT int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
DEVICE_PLUGIN_EXPORT void NPP_Print(NPP instance, NPPrint* platformPrint);
DEVICE_PLUGIN_EXPORT int16_t NPP_HandleEvent(NPP instance, void* event);
DEVICE_PLUGIN_EXPORT void NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData);
DEVICE_PLUGIN_EXPORT NPError NPP_GetValue(NPP instance, NPPVariable variable, void* value);
DEVICE_PLUGIN_EXPORT NPError NPP_SetValue(NPP instance, NPNVariable variable, void* value);

#endif
