#include "ScriptMethods.h"

#include <algorithm>

#include "ResultText.h"
#include "VariantValues.h"
#include "plugin_methods/ScriptMethods.h"

namespace device_plugin {

void invokeMethod(MethodIndex method, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    plugin_methods::ScriptValue values[plugin_methods::MAX_ARGUMENTS_READ];
    const uint32_t count = std::min(argCount, plugin_methods::MAX_ARGUMENTS_READ);
    for (uint32_t i = 0; i < count; ++i)
        values[i] = scriptValueOf(args[i]);
    const plugin_methods::MethodAnswer answer = plugin_methods::invokeMethod(m_Skve, method, values, count);
    if (answer.isNull())
        NULL_TO_NPVARIANT(*result);
    else
        setStringResult(result, answer.text());
}

} // namespace device_plugin
