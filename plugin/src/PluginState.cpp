#include "PluginState.h"

// The project's logging facility is part of every deliverable; it writes nothing until a sink and
// a level mask are installed.
#include <logging>

namespace device_plugin {

NPNetscapeFuncs* browser = nullptr;
Engine* m_Skve = nullptr;

// The names in MethodIndex order, so that a method's position in the identifier array is its index.
const NPUTF8* pluginMethodIdentifierNames[METHOD_COUNT] = {
    page_methods::METHOD_NAMES[0], page_methods::METHOD_NAMES[1], page_methods::METHOD_NAMES[2],
    page_methods::METHOD_NAMES[3], page_methods::METHOD_NAMES[4], page_methods::METHOD_NAMES[5],
    page_methods::METHOD_NAMES[6],
};
NPIdentifier pluginMethodIdentifiers[METHOD_COUNT];

const NPUTF8* pluginPropertyIdentifierNames[PROPERTY_COUNT] = {
    "NULL",
};
NPIdentifier pluginPropertyIdentifiers[PROPERTY_COUNT];

bool identifiersInitialized = false;

} // namespace device_plugin
