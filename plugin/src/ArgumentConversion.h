// Script arguments as the engine takes them: integers and NUL-terminated texts.
#ifndef DEVICE_PLUGIN_ARGUMENTCONVERSION_H
#define DEVICE_PLUGIN_ARGUMENTCONVERSION_H

#include <memory>

#include <npapi/npruntime.h>

namespace device_plugin {

// An Int32 gives its value; a Double its value truncated toward zero, or -1 when that does not fit
// 32 bits (NaN and infinities included); any other type, or an argument the page did not pass, -1.
int32_t intArgument(const NPVariant* args, uint32_t argCount, uint32_t index);

// A String gives a new[] array holding its bytes up to the first NUL, NUL-terminated; any other type
// gives null. The caller frees the array with delete[].
char* getStringFromNPVariant(const NPVariant& variant);

using OwnedText = std::unique_ptr<char[]>;

// getStringFromNPVariant for a position that the page may not have passed (null then).
OwnedText textArgument(const NPVariant* args, uint32_t argCount, uint32_t index);

} // namespace device_plugin

#endif
