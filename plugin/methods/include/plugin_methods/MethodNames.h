// The methods of the page object, in the order the page's browser learns them.
#ifndef PLUGIN_METHODS_METHODNAMES_H
#define PLUGIN_METHODS_METHODNAMES_H

#include <cstdint>

namespace plugin_methods {

enum MethodIndex {
    ADD_HIDLET,
    GET_DEVICES,
    GET_ATTRIBUTE_BY_KEY,
    PERFORM_OPERATION,
    CANCEL_COMMAND,
    CLEANUP_REMOTE,
    CLEANUP_ALL
};

constexpr int METHOD_COUNT = 7;

constexpr const char* METHOD_NAMES[METHOD_COUNT] = {
    "addHidlet",
    "getDevices",
    "getAttributeByKey",
    "performOperation",
    "cancelCommand",
    "cleanupRemote",
    "cleanupAll",
};

// The most argument positions any method reads (performOperation's five); later ones are ignored.
constexpr uint32_t MAX_ARGUMENTS_READ = 5;

} // namespace plugin_methods

#endif
