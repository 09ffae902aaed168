#include "StringResult.h"

#include <cstring>

#include "BrowserCalls.h"

namespace device_plugin {

void setStringResult(NPVariant* result, const char* text)
{
    const size_t length = std::strlen(text);
    char* copy = length < UINT32_MAX ? static_cast<char*>(NPN_MemAlloc(static_cast<uint32_t>(length + 1))) : nullptr;
    if (!copy) {
        NULL_TO_NPVARIANT(*result);
        return;
    }
    std::memcpy(copy, text, length + 1);
    STRINGN_TO_NPVARIANT(copy, length, *result);
}

} // namespace device_plugin
