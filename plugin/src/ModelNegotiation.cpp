#include "ModelNegotiation.h"

#include <cstdint>

#include "BrowserCalls.h"

// macOS browsers draw plug-ins through Core Graphics or Core Animation and deliver Cocoa events; a
// plug-in that cannot get Cocoa events there must refuse the instance. Other browsers have none of
// these models: the plug-in draws nothing, so it asks to run windowless. The test build selects the
// macOS behaviour with DEVICE_PLUGIN_MACOS_MODELS to check it against a browser that answers like one.
#if defined(__APPLE__) || defined(DEVICE_PLUGIN_MACOS_MODELS)
#define DEVICE_PLUGIN_NEGOTIATES_MACOS_MODELS 1
#endif

namespace device_plugin {
namespace {

#ifdef DEVICE_PLUGIN_NEGOTIATES_MACOS_MODELS
bool browserSupports(NPP instance, NPNVariable variable)
{
    NPBool supported = false;
    return NPN_GetValue(instance, variable, &supported) == NPERR_NO_ERROR && supported;
}

// Models travel by value in the pointer argument.
void* modelValue(intptr_t model)
{
    return reinterpret_cast<void*>(model);
}
#endif

} // namespace

NPError negotiateModels(NPP instance)
{
#ifdef DEVICE_PLUGIN_NEGOTIATES_MACOS_MODELS
    if (browserSupports(instance, NPNVsupportsCoreGraphicsBool))
        NPN_SetValue(instance, NPPVpluginDrawingModel, modelValue(NPDrawingModelCoreGraphics));
    // Requested last, so Core Animation wins where both are offered.
    if (browserSupports(instance, NPNVsupportsCoreAnimationBool))
        NPN_SetValue(instance, NPPVpluginDrawingModel, modelValue(NPDrawingModelCoreAnimation));
    if (!browserSupports(instance, NPNVsupportsCocoaBool))
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    NPN_SetValue(instance, NPPVpluginEventModel, modelValue(NPEventModelCocoa));
    return NPERR_NO_ERROR;
#else
    NPN_SetValue(instance, NPPVpluginWindowBool, nullptr);
    return NPERR_NO_ERROR;
#endif
}

} // namespace device_plugin
