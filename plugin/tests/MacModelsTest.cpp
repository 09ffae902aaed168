// Instance creation against a browser that answers like a macOS one: the plug-in built with the macOS
// drawing and event models asks for Core Graphics, then Core Animation, then needs Cocoa events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHarness.h"

namespace device_plugin_tests {
namespace {

struct Offer {
    NPNVariable variable;
    bool value;
    NPError error;
};

struct ModelCase {
    const char* name;
    std::vector<Offer> offers;
    NPError expected;
    std::vector<std::pair<NPPVariable, intptr_t>> requests;
};

TEST(MacModelsTest, NegotiatesDrawingAndEventModelsLikeAMacPlugin)
{
    const auto CG = NPNVsupportsCoreGraphicsBool;
    const auto CA = NPNVsupportsCoreAnimationBool;
    const auto COCOA = NPNVsupportsCocoaBool;
    const std::pair<NPPVariable, intptr_t> drawCG{NPPVpluginDrawingModel, NPDrawingModelCoreGraphics};
    const std::pair<NPPVariable, intptr_t> drawCA{NPPVpluginDrawingModel, NPDrawingModelCoreAnimation};
    const std::pair<NPPVariable, intptr_t> cocoa{NPPVpluginEventModel, NPEventModelCocoa};
    const std::vector<ModelCase> cases = {
        {"everything", {{CG, true, 0}, {CA, true, 0}, {COCOA, true, 0}}, NPERR_NO_ERROR, {drawCG, drawCA, cocoa}},
        {"core graphics only", {{CG, true, 0}, {CA, false, 0}, {COCOA, true, 0}}, NPERR_NO_ERROR, {drawCG, cocoa}},
        {"core animation only", {{CA, true, 0}, {COCOA, true, 0}}, NPERR_NO_ERROR, {drawCA, cocoa}},
        {"no cocoa", {{CG, true, 0}, {COCOA, false, 0}}, NPERR_INCOMPATIBLE_VERSION_ERROR, {drawCG}},
        {"cocoa query fails", {{COCOA, true, NPERR_GENERIC_ERROR}}, NPERR_INCOMPATIBLE_VERSION_ERROR, {}},
        {"a Linux browser", {}, NPERR_INCOMPATIBLE_VERSION_ERROR, {}},
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.name);
        PluginHarness h(macModelsPluginUnderTest());
        for (const Offer& offer : c.offers)
            h.browser.answerValue(offer.variable, offer.value, offer.error);
        nphost::PluginInstance& instance = h.openPage().addInstance();
        EXPECT_EQ(instance.creationResult(), c.expected);

        std::vector<std::pair<NPPVariable, intptr_t>> requests;
        for (const auto& call : h.browser.setValueCalls())
            requests.emplace_back(call.variable, call.value);
        EXPECT_EQ(requests, c.requests);

        // Refused or not, the instance got its object and the engine was started.
        EXPECT_NE(instance.npp()->pdata, nullptr);
        EXPECT_EQ(h.engine.factoryCalls(), 1u);
        EXPECT_EQ(h.closePage(), "");
    }
}

} // namespace
} // namespace device_plugin_tests
