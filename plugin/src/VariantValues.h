// The browser's script variants as the page object's methods read them.
#ifndef DEVICE_PLUGIN_VARIANTVALUES_H
#define DEVICE_PLUGIN_VARIANTVALUES_H

#include <npapi/npruntime.h>

#include "page_methods/ScriptValue.h"

namespace device_plugin {

// A view of the variant: a string's characters stay the browser's.
page_methods::ScriptValue scriptValueOf(const NPVariant& variant);

} // namespace device_plugin

#endif
