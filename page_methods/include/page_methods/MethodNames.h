// The methods of the page object, in the order the page's browser learns them. The extension's
// scripts carry copies (extension/content/page.js, extension/background/responses.js);
// extension/tests/sharedNames.test.mjs fails when they differ from this list.
#ifndef PAGE_METHODS_METHODNAMES_H
#define PAGE_METHODS_METHODNAMES_H

#include <cstdint>

namespace page_methods {

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

} // namespace page_methods

#endif
