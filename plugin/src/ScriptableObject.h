// The page's door to the engine: the class of the object each plug-in instance hands to script.
#ifndef DEVICE_PLUGIN_SCRIPTABLEOBJECT_H
#define DEVICE_PLUGIN_SCRIPTABLEOBJECT_H

#include <npapi/npruntime.h>

#include "Export.h"

// Obtains the engine (the first call in the process creates and starts it) and returns the class.
DEVICE_PLUGIN_EXPORT NPClass* getPluginClass();

#endif
