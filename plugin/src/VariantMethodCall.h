// The scriptable object's methods as the browser invokes them: the page's variants go to the page
// object's methods (page_methods/), and their answer comes back as a variant in browser memory.
#ifndef DEVICE_PLUGIN_VARIANTMETHODCALL_H
#define DEVICE_PLUGIN_VARIANTMETHODCALL_H

#include <npapi/npruntime.h>

#include "PluginState.h"

namespace device_plugin {

void invokeMethod(MethodIndex method, const NPVariant* args, uint32_t argCount, NPVariant* result);

} // namespace device_plugin

#endif
