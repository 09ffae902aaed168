// Loading the plug-in, creating instances and handing out the scriptable object, as a Linux browser
// does it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PluginHarness.h"
#include "nphost/HostError.h"
#include "nphost/Identifiers.h"
#include "nphost/ObjectRegistry.h"

namespace device_plugin_tests {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PluginModuleTest, LoadsThroughBothEntryPointConventions)
{
    for (auto convention : {nphost::EntryConvention::Unix, nphost::EntryConvention::SeparateEntryPoints}) {
        nphost::Browser browser;
        nphost::PluginModule module(browser, pluginUnderTest(), convention);
        const NPPluginFuncs& functions = module.functions();
        EXPECT_EQ(functions.version, 11);
        EXPECT_NE(functions.setvalue, nullptr);
        EXPECT_EQ(module.mimeType(), "application/x-remote-bridge");
        EXPECT_FALSE(module.describe(NPPVpluginNameString).empty());
        EXPECT_FALSE(module.describe(NPPVpluginDescriptionString).empty());
    }
}

TEST(PluginModuleTest, FillsTheThirteenInstanceEntriesAndLeavesTheJavaSlotAlone)
{
    nphost::Browser browser;
    nphost::PluginModule module(browser, pluginUnderTest());
    auto getEntryPoints = reinterpret_cast<NP_GetEntryPointsFunc>(module.symbol("NP_GetEntryPoints"));
    auto initialize = reinterpret_cast<NP_InitializeFunc>(module.symbol("NP_Initialize"));
    ASSERT_NE(getEntryPoints, nullptr);
    ASSERT_NE(initialize, nullptr);
    // Filled by the plug-in alone: the size and version too (a host that loads it sets them first).
    NPPluginFuncs fromInitialize;
    std::memset(&fromInitialize, 0xA5, sizeof fromInitialize);
    ASSERT_EQ(initialize(browser.functions(), &fromInitialize), NPERR_NO_ERROR);
    NPPluginFuncs table;
    std::memset(&table, 0xA5, sizeof table);
    void* untouched;
    std::memset(&untouched, 0xA5, sizeof untouched);
    ASSERT_EQ(getEntryPoints(&table), NPERR_NO_ERROR);
    EXPECT_EQ(0, std::memcmp(&table, &fromInitialize, sizeof table));
    EXPECT_EQ(table.size, sizeof(NPPluginFuncs));
    EXPECT_EQ(table.version, 11);
    EXPECT_EQ(table.javaClass, untouched);
    EXPECT_EQ(table.gotfocus, reinterpret_cast<NPP_GotFocusPtr>(untouched));
    // The table entries are the exported instance functions.
    EXPECT_EQ(reinterpret_cast<void*>(table.newp), module.symbol("NPP_New"));
    EXPECT_EQ(reinterpret_cast<void*>(table.destroy), module.symbol("NPP_Destroy"));
    EXPECT_EQ(reinterpret_cast<void*>(table.setwindow), module.symbol("NPP_SetWindow"));
    EXPECT_EQ(reinterpret_cast<void*>(table.newstream), module.symbol("NPP_NewStream"));
    EXPECT_EQ(reinterpret_cast<void*>(table.destroystream), module.symbol("NPP_DestroyStream"));
    EXPECT_EQ(reinterpret_cast<void*>(table.asfile), module.symbol("NPP_StreamAsFile"));
    EXPECT_EQ(reinterpret_cast<void*>(table.writeready), module.symbol("NPP_WriteReady"));
    EXPECT_EQ(reinterpret_cast<void*>(table.write), module.symbol("NPP_Write"));
    EXPECT_EQ(reinterpret_cast<void*>(table.print), module.symbol("NPP_Print"));
    EXPECT_EQ(reinterpret_cast<void*>(table.event), module.symbol("NPP_HandleEvent"));
    EXPECT_EQ(reinterpret_cast<void*>(table.urlnotify), module.symbol("NPP_URLNotify"));
    EXPECT_EQ(reinterpret_cast<void*>(table.getvalue), module.symbol("NPP_GetValue"));
    EXPECT_EQ(reinterpret_cast<void*>(table.setvalue), module.symbol("NPP_SetValue"));
    EXPECT_NE(module.symbol("getPluginClass"), nullptr);
}

class PluginInstanceTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(h.closePage(), ""); }

    PluginHarness h;
};

TEST_F(PluginInstanceTest, RefusesBrowsersWithoutScriptObjectsAndMissingInstances)
{
    const size_t objectsBefore = nphost::ObjectRegistry::instance().liveObjects();
    h.browser.setVersion(NPVERS_HAS_NPRUNTIME_SCRIPTING - 1);
    nphost::PluginInstance& old = h.openPage().addInstance();
    EXPECT_EQ(old.creationResult(), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(old.npp()->pdata, nullptr);
    EXPECT_EQ(nphost::ObjectRegistry::instance().liveObjects(), objectsBefore);
    EXPECT_EQ(h.engine.factoryCalls(), 0u);

    char type[] = "application/x-remote-bridge";
    EXPECT_EQ(h.module.functions().newp(type, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
              NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(h.engine.factoryCalls(), 0u);

    h.browser.setVersion(NPVERS_HAS_NPRUNTIME_SCRIPTING);
    EXPECT_EQ(h.page->addInstance().creationResult(), NPERR_NO_ERROR);
}

TEST_F(PluginInstanceTest, RunsWindowlessOnABrowserWithoutMacModels)
{
    nphost::PluginInstance& instance = h.openPage().addInstance();
    EXPECT_EQ(instance.creationResult(), NPERR_NO_ERROR);
    ASSERT_EQ(h.browser.setValueCalls().size(), 1u);
    EXPECT_EQ(h.browser.setValueCalls()[0].instance, instance.npp());
    EXPECT_EQ(h.browser.setValueCalls()[0].variable, NPPVpluginWindowBool);
    EXPECT_EQ(h.browser.setValueCalls()[0].value, 0);
}

TEST_F(PluginInstanceTest, InstanceFunctionsGiveTheirFixedAnswers)
{
    nphost::PluginInstance& instance = h.openPage().addInstance();
    const NPPluginFuncs& f = h.module.functions();
    uint16_t streamType = NP_NORMAL;
    EXPECT_EQ(f.newstream(instance.npp(), nullptr, nullptr, false, &streamType), NPERR_NO_ERROR);
    EXPECT_EQ(streamType, NP_ASFILEONLY);
    EXPECT_EQ(f.writeready(instance.npp(), nullptr), 0);
    EXPECT_EQ(f.write(instance.npp(), nullptr, 0, 4, nullptr), 0);
    EXPECT_EQ(f.event(instance.npp(), nullptr), 1);
    NPP_t empty{nullptr, &h.browser};
    EXPECT_EQ(f.event(&empty, nullptr), 0);
    EXPECT_EQ(f.setvalue(instance.npp(), NPNVprivateModeBool, nullptr), NPERR_GENERIC_ERROR);
}

TEST_F(PluginInstanceTest, GetValueAnswersOnlyForTheScriptableObject)
{
    nphost::PluginInstance& instance = h.openPage().addInstance();
    void* sentinel = &h;
    void* value = sentinel;
    for (auto variable : {NPPVpluginNameString, NPPVpluginWindowBool, NPPVpluginNeedsXEmbed, NPPVformValue}) {
        EXPECT_EQ(h.module.functions().getvalue(instance.npp(), variable, &value), NPERR_GENERIC_ERROR);
        EXPECT_EQ(value, sentinel);
    }
}

TEST_F(PluginInstanceTest, AddsAReferenceExceptForOldWebKitBuilds)
{
    const std::vector<std::pair<std::string, uint32_t>> cases = {
        {"Mozilla/5.0 (Macintosh; U; PPC Mac OS X; en) AppleWebKit/419.3 (KHTML, like Gecko) Safari/419.3", 0},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/1 Safari", 0},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/420 (KHTML, like Gecko) Safari/420", 1},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/ (KHTML)", 1},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/x419", 1},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/0", 1},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/-5", 1},
        {"Mozilla/5.0 (Macintosh) AppleWebKit/99999999999999999999999", 1},
        {"Mozilla/5.0(AppleWebKit/419)", 1},
        {"Mozilla/5.0 (X11; Linux x86_64; rv:52.0) Gecko/20100101 Firefox/52.0", 1},
        {"", 1},
    };
    nphost::Page& page = h.openPage();
    for (const auto& [userAgent, added] : cases) {
        SCOPED_TRACE(userAgent);
        h.browser.setUserAgent(userAgent);
        nphost::PluginInstance& instance = page.addInstance();
        auto* own = static_cast<NPObject*>(instance.npp()->pdata);
        ASSERT_NE(own, nullptr);
        const uint32_t before = own->referenceCount;
        NPObject* handedOut = nullptr;
        ASSERT_EQ(instance.requestScriptableObject(&handedOut), NPERR_NO_ERROR);
        EXPECT_EQ(handedOut, own);
        EXPECT_EQ(own->referenceCount - before, added);
        if (added)
            h.browser.functions()->releaseobject(handedOut);
    }
}

TEST_F(PluginInstanceTest, InstancesShareOneEngineAndOneSetOfIdentifiers)
{
    h.engine.answerText("getDevicesInfo", "device_id=A||");
    h.engine.answerText("getDevicesInfo", "device_id=B||");
    EXPECT_EQ(h.evaluate("var a = embed(), b = embed(); a === b"), "false");
    EXPECT_EQ(h.evaluate("a.getDevices() + b.getDevices()"), "string:device_id=A||device_id=B||");
    EXPECT_EQ(h.engine.factoryCalls(), 2u);
    EXPECT_EQ(h.engine.enginesCreated(), 1u);

    // Fetched once in the whole process (earlier tests in this program used the same plug-in):
    // the property first, then the methods.
    EXPECT_THAT(nphost::IdentifierTable::instance().bulkRequests(),
                ElementsAre(ElementsAre("NULL"),
                            ElementsAre("addHidlet", "getDevices", "getAttributeByKey", "performOperation",
                                        "cancelCommand", "cleanupRemote", "cleanupAll")));
}

TEST_F(PluginInstanceTest, AnEngineThatCannotStartStillGivesDefinedAnswers)
{
    h.engine.setFactory(FAKE_FACTORY_NULL);
    EXPECT_EQ(h.evaluate("var a = embed(); a.getDevices()"), "string:{{999|Unexpected exception in cancel command}}");
    h.engine.setFactory(FAKE_FACTORY_THROW);
    EXPECT_EQ(h.evaluate("var b = embed(); b.performOperation('d', 'AA', 1, 10, '')"),
              "string:{{999|Unexpected exception in cancel command}}");
    EXPECT_EQ(h.evaluate("b.cleanupAll()"), "string:{{999|Unexpected exception in cancel command}}");
    EXPECT_EQ(h.evaluate("b.addHidlet(1, 2)"), "null");
    EXPECT_EQ(h.evaluate("b.getAttributeByKey('plugin_version')"), "string:2.0");
    EXPECT_THAT(h.engine.calls(), IsEmpty());
}

} // namespace
} // namespace device_plugin_tests
