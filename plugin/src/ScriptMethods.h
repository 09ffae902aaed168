// The seven methods of the scriptable object: convert the page's arguments, call the engine, answer
// with a text (or null). No exception leaves them: engine failures become the plug-in's own texts.
#ifndef DEVICE_PLUGIN_SCRIPTMETHODS_H
#define DEVICE_PLUGIN_SCRIPTMETHODS_H

#include <npapi/npruntime.h>

#include "PluginState.h"

namespace device_plugin {

void invokeMethod(MethodIndex method, const NPVariant* args, uint32_t argCount, NPVariant* result);

} // namespace device_plugin

#endif
