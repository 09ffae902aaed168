// The numbers of the variables a browser and a plug-in exchange through NPP_GetValue,
// NPN_GetValue and NPN_SetValue are the browser's binary interface: a plug-in that asks with
// another number asks for nothing. Each is pinned here to the number a Unix browser uses.
#include <gtest/gtest.h>

#include "npapi/npapi.h"

namespace {

TEST(NpapiAbi, PluginVariablesHaveTheirUnixNumbers)
{
    const struct { NPPVariable variable; long number; } cases[] = {
        {NPPVpluginNameString, 1},
        {NPPVpluginDescriptionString, 2},
        {NPPVpluginWindowBool, 3},
        {NPPVpluginTransparentBool, 4},
        {NPPVjavaClass, 5},
        {NPPVpluginWindowSize, 6},
        {NPPVpluginTimerInterval, 7},
        {NPPVpluginScriptableInstance, 0x1000000A},
        {NPPVpluginScriptableIID, 11},
        {NPPVjavascriptPushCallerBool, 12},
        {NPPVpluginKeepLibraryInMemory, 13},
        {NPPVpluginNeedsXEmbed, 14},
        {NPPVpluginScriptableNPObject, 15},
        {NPPVformValue, 16},
        {NPPVpluginUrlRequestsDisplayedBool, 17},
        {NPPVpluginWantsAllNetworkStreams, 18},
        {NPPVpluginNativeAccessibleAtkPlugId, 19},
        {NPPVpluginCancelSrcStream, 20},
        {NPPVsupportsAdvancedKeyHandling, 21},
        {NPPVpluginUsesDOMForCursorBool, 22},
        {NPPVpluginDrawingModel, 1000},
        {NPPVpluginEventModel, 1001},
        {NPPVpluginCoreAnimationLayer, 1003},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.number, static_cast<long>(c.variable)) << "plug-in variable " << c.number;
}

TEST(NpapiAbi, BrowserVariablesHaveTheirUnixNumbers)
{
    const struct { NPNVariable variable; long number; } cases[] = {
        {NPNVxDisplay, 1},
        {NPNVxtAppContext, 2},
        {NPNVnetscapeWindow, 3},
        {NPNVjavascriptEnabledBool, 4},
        {NPNVasdEnabledBool, 5},
        {NPNVisOfflineBool, 6},
        {NPNVserviceManager, 0x1000000A},
        {NPNVDOMElement, 0x1000000B},
        {NPNVDOMWindow, 0x1000000C},
        {NPNVToolkit, 0x1000000D},
        {NPNVSupportsXEmbedBool, 14},
        {NPNVWindowNPObject, 15},
        {NPNVPluginElementNPObject, 16},
        {NPNVSupportsWindowless, 17},
        {NPNVprivateModeBool, 18},
        {NPNVsupportsAdvancedKeyHandling, 21},
        {NPNVdocumentOrigin, 22},
        {NPNVpluginDrawingModel, 1000},
        {NPNVsupportsQuickDrawBool, 2000},
        {NPNVsupportsCoreGraphicsBool, 2001},
        {NPNVsupportsOpenGLBool, 2002},
        {NPNVsupportsCoreAnimationBool, 2003},
        {NPNVsupportsInvalidatingCoreAnimationBool, 2004},
        {NPNVsupportsCarbonBool, 3000},
        {NPNVsupportsCocoaBool, 3001},
        {NPNVsupportsUpdatedCocoaTextInputBool, 3002},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.number, static_cast<long>(c.variable)) << "browser variable " << c.number;
}

} // namespace
