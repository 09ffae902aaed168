// State shared by the whole plug-in module (one copy per loaded shared object). The browser calls every
// entry point on its main thread, one at a time, so none of it is locked.
#ifndef DEVICE_PLUGIN_PLUGINSTATE_H
#define DEVICE_PLUGIN_PLUGINSTATE_H

#include <npapi/npfunctions.h>

#include "page_methods/MethodNames.h"
#include "page_methods/PageMethods.h"

namespace device_plugin {

using page_methods::Engine;
using page_methods::METHOD_COUNT;
using page_methods::MethodIndex;

constexpr int PROPERTY_COUNT = 1;

// The browser's function table, saved by NP_Initialize.
extern NPNetscapeFuncs* browser;

// The process's one engine; refreshed from the factory on every instance creation, never deleted here.
extern Engine* m_Skve;

extern const NPUTF8* pluginMethodIdentifierNames[METHOD_COUNT];
extern NPIdentifier pluginMethodIdentifiers[METHOD_COUNT];
extern const NPUTF8* pluginPropertyIdentifierNames[PROPERTY_COUNT];
extern NPIdentifier pluginPropertyIdentifiers[PROPERTY_COUNT];

// Identifiers are interned by the browser for the life of the process, so they are fetched once.
extern bool identifiersInitialized;

} // namespace device_plugin

#endif
