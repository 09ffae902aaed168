#include "VariantMethodCall.h"

#include <algorithm>

#include "StringResult.h"
#include "VariantValues.h"
#include "page_methods/PageMethods.h"

namespace device_plugin {

void invokeMethod(MethodIndex method, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    page_methods::ScriptValue values[page_methods::MAX_ARGUMENTS_READ];
    const uint32_t count = std::min(argCount, page_methods::MAX_ARGUMENTS_READ);
    for (uint32_t i = 0; i < count; ++i)
        values[i] = scriptValueOf(args[i]);
    const page_methods::MethodAnswer answer = page_methods::invokeMethod(m_Skve, method, values, count);
    if (answer.isNull())
        NULL_TO_NPVARIANT(*result);
    else
        setStringResult(result, answer.text());
}

} // namespace device_plugin
