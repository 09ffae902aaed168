#include "ArgumentConversion.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace device_plugin {

int32_t intArgument(const NPVariant* args, uint32_t argCount, uint32_t index)
{
    if (index >= argCount)
        return -1;
    const NPVariant& variant = args[index];
    if (NPVARIANT_IS_INT32(variant))
        return NPVARIANT_TO_INT32(variant);
    if (NPVARIANT_IS_DOUBLE(variant)) {
        const double truncated = std::trunc(NPVARIANT_TO_DOUBLE(variant));
        // Written so that NaN fails the test too: converting an out-of-range double is undefined.
        if (!(truncated >= std::numeric_limits<int32_t>::min() && truncated <= std::numeric_limits<int32_t>::max()))
            return -1;
        return static_cast<int32_t>(truncated);
    }
    return -1;
}

char* getStringFromNPVariant(const NPVariant& variant)
{
    if (!NPVARIANT_IS_STRING(variant))
        return nullptr;
    const NPString& string = NPVARIANT_TO_STRING(variant);
    const uint32_t length = string.UTF8Characters ? string.UTF8Length : 0;
    char* copy = new char[static_cast<size_t>(length) + 1];
    const void* nul = length ? std::memchr(string.UTF8Characters, '\0', length) : nullptr;
    const size_t used = nul ? static_cast<const char*>(nul) - string.UTF8Characters : length;
    if (used)
        std::memcpy(copy, string.UTF8Characters, used);
    copy[used] = '\0';
    return copy;
}

OwnedText textArgument(const NPVariant* args, uint32_t argCount, uint32_t index)
{
    if (index >= argCount)
        return nullptr;
    return OwnedText(getStringFromNPVariant(args[index]));
}

} // namespace device_plugin
