// How a new instance settles drawing and events with the browser.
#ifndef DEVICE_PLUGIN_MODELNEGOTIATION_H
#define DEVICE_PLUGIN_MODELNEGOTIATION_H

#include <npapi/npapi.h>

namespace device_plugin {

// Called by NPP_New once the scriptable object exists; its answer is NPP_New's.
NPError negotiateModels(NPP instance);

} // namespace device_plugin

#endif
