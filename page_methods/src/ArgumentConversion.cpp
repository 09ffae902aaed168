#include "page_methods/ArgumentConversion.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace page_methods {

int32_t intArgument(const ScriptValue* args, uint32_t argCount, uint32_t index)
{
    if (index >= argCount)
        return -1;
    const ScriptValue& value = args[index];
    if (value.type == ScriptValue::INT32)
        return value.int32;
    if (value.type == ScriptValue::DOUBLE) {
        const double truncated = std::trunc(value.number);
        // Written so that NaN fails the test too: converting an out-of-range double is undefined.
        if (!(truncated >= std::numeric_limits<int32_t>::min() && truncated <= std::numeric_limits<int32_t>::max()))
            return -1;
        return static_cast<int32_t>(truncated);
    }
    return -1;
}

OwnedText textOf(const ScriptValue& value)
{
    if (value.type != ScriptValue::STRING)
        return nullptr;
    const uint32_t length = value.chars ? value.length : 0;
    OwnedText copy(new char[static_cast<size_t>(length) + 1]);
    const void* nul = length ? std::memchr(value.chars, '\0', length) : nullptr;
    const size_t used = nul ? static_cast<const char*>(nul) - value.chars : length;
    if (used)
        std::memcpy(copy.get(), value.chars, used);
    copy[used] = '\0';
    return copy;
}

OwnedText textArgument(const ScriptValue* args, uint32_t argCount, uint32_t index)
{
    if (index >= argCount)
        return nullptr;
    return textOf(args[index]);
}

} // namespace page_methods
