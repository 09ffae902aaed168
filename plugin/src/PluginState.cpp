#include "PluginState.h"

// The project's logging facility is part of every deliverable; it writes nothing until a sink and
// a level mask are installed.
#include <logging>

namespace device_plugin {

NPNetscapeFuncs* browser = nullptr;
Engine* m_Skve = nullptr;

const NPUTF8* pluginMethodIdentifierNames[METHOD_COUNT] = {
    "addHidlet",
    "getDevices",
    "getAttributeByKey",
    "performOperation",
    "cancelCommand",
    "cleanupRemote",
    "cleanupAll",
};
NPIdentifier pluginMethodIdentifiers[METHOD_COUNT];

const NPUTF8* pluginPropertyIdentifierNames[PROPERTY_COUNT] = {
    "NULL",
};
NPIdentifier pluginPropertyIdentifiers[PROPERTY_COUNT];

bool identifiersInitialized = false;

} // namespace device_plugin
