// The scriptable object as page script uses it: methods, argument conversions, the engine's answers
// and the plug-in's own fallback texts. Every test ends by proving the page leaked nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHarness.h"
#include "nphost/Identifiers.h"
#include "nphost/MemoryLedger.h"

namespace device_plugin_tests {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char EXCEPTION_TEXT[] = "string:{{999|Unexpected exception in cancel command}}";

class ScriptableObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(h.evaluate("var p = embed(); typeof p.getDevices"), "string:function"); }
    void TearDown() override { EXPECT_EQ(h.closePage(), ""); }

    PluginHarness h;
};

TEST_F(ScriptableObjectTest, OffersExactlyTheSevenMethodsAndTheNullProperty)
{
    for (const char* method : {"addHidlet", "getDevices", "getAttributeByKey", "performOperation", "cancelCommand",
                               "cleanupRemote", "cleanupAll"}) {
        SCOPED_TRACE(method);
        EXPECT_EQ(h.evaluate(std::string("'") + method + "' in p"), "true");
        EXPECT_EQ(h.evaluate(std::string("p.") + method + " !== undefined"), "true");
    }
    EXPECT_EQ(h.evaluate("p.NULL === p"), "true");
    EXPECT_EQ(h.evaluate("p.NULL.NULL.getAttributeByKey('plugin_version')"), "string:2.0");
    for (const char* other : {"foo", "null", "Null", "GetDevices", "0"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(h.evaluate(std::string("'") + other + "' in p"), "false");
    }
    EXPECT_EQ(h.evaluate("(function () { 'use strict'; try { p.NULL = 1; return 'set'; } catch (e) { return 'refused'; } })()"),
              "string:refused");
    EXPECT_EQ(h.evaluate("delete p.NULL"), "false");
    EXPECT_EQ(h.evaluate("p.NULL === p"), "true");
    EXPECT_THAT(h.engine.calls(), IsEmpty());
}

TEST_F(ScriptableObjectTest, RefusesUnknownMethodsAndBeingCalledItself)
{
    EXPECT_EQ(h.evaluate("try { p(); 'called' } catch (e) { e.message }"), "string:Error calling method on NPObject.");

    // Straight through the browser functions, as a browser asks before script could: the result
    // must stay as it was.
    NPObject* object = static_cast<NPObject*>(h.page->instance(0).npp()->pdata);
    NPNetscapeFuncs* browser = h.browser.functions();
    NPIdentifier unknown = browser->getstringidentifier("reboot");
    NPVariant result;
    INT32_TO_NPVARIANT(77, result);
    EXPECT_FALSE(browser->hasmethod(nullptr, object, unknown));
    EXPECT_FALSE(browser->invoke(nullptr, object, unknown, nullptr, 0, &result));
    EXPECT_FALSE(browser->hasmethod(nullptr, object, browser->getstringidentifier("NULL")));
    EXPECT_FALSE(browser->hasproperty(nullptr, object, browser->getstringidentifier("getDevices")));
    EXPECT_FALSE(browser->getproperty(nullptr, object, unknown, &result));
    EXPECT_TRUE(NPVARIANT_IS_INT32(result) && NPVARIANT_TO_INT32(result) == 77);
    EXPECT_THAT(h.engine.calls(), IsEmpty());
}

TEST_F(ScriptableObjectTest, AnswersItsVersionAndNullForAnyOtherKey)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"p.getAttributeByKey('plugin_version')", "string:2.0"},
        {"p.getAttributeByKey('plugin_version').length", "number:3"},
        {"p.getAttributeByKey('plugin_version\\u0000tail')", "string:2.0"},
        {"p.getAttributeByKey('plugin_versio')", "null"},
        {"p.getAttributeByKey('')", "null"},
        {"p.getAttributeByKey(5)", "null"},
        {"p.getAttributeByKey()", "null"},
    };
    for (const auto& [code, expected] : cases)
        EXPECT_EQ(h.evaluate(code), expected) << code;
    EXPECT_THAT(h.engine.calls(), IsEmpty());
}

TEST_F(ScriptableObjectTest, IntegerArgumentsConvertLikeThePageExpects)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"7", "7"},
        {"3.9", "3"},
        {"-2.5", "-2"},
        {"-0", "0"},
        {"2147483647", "2147483647"},
        {"-2147483648", "-2147483648"},
        {"2147483647.9", "2147483647"},
        {"-2147483648.9", "-2147483648"},
        {"2147483648", "-1"},
        {"-2147483649", "-1"},
        {"1e300", "-1"},
        {"NaN", "-1"},
        {"Infinity", "-1"},
        {"-Infinity", "-1"},
        {"'5'", "-1"},
        {"true", "-1"},
        {"undefined", "-1"},
        {"null", "-1"},
        {"({})", "-1"},
        {"p", "-1"},
    };
    for (const auto& [value, expected] : cases) {
        h.engine.reset();
        EXPECT_EQ(h.evaluate(std::string("p.addHidlet(") + value + ", " + value + ")"), "null") << value;
        EXPECT_THAT(h.engine.calls(), ElementsAre(std::string("addHidlet|") + expected + "|" + expected)) << value;
    }
}

TEST_F(ScriptableObjectTest, AddHidletRegistersTheDeviceTypeAndTreatsMissingArgumentsAsVoid)
{
    EXPECT_EQ(h.evaluate("p.addHidlet(4660, 22136)"), "null");
    EXPECT_EQ(h.evaluate("p.addHidlet(4660)"), "null");
    EXPECT_EQ(h.evaluate("p.addHidlet()"), "null");
    EXPECT_THAT(h.engine.calls(), ElementsAre("addHidlet|4660|22136", "addHidlet|4660|-1", "addHidlet|-1|-1"));
}

TEST_F(ScriptableObjectTest, PerformOperationHandsTheEngineItsArgumentsTimeOutLast)
{
    h.engine.answerText("execute", "{{-2|New command created}}");
    EXPECT_EQ(h.evaluate("p.performOperation('/dev/remote0', 'AABB', 2, 5000, 'FF')"),
              "string:{{-2|New command created}}");
    EXPECT_THAT(h.engine.calls(), ElementsAre("execute|/dev/remote0|AABB|2|FF|5000|slot=null"));
}

TEST_F(ScriptableObjectTest, TextArgumentsReachTheEngineUpToTheirFirstNul)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"p.performOperation('dev', 'ab\\u0000cd', 1, 10, '')", "execute|dev|ab|1||10|slot=null"},
        {"p.performOperation('de\\u0000v', 'AA', 1, 10, 'FF')", "execute|de|AA|1|FF|10|slot=null"},
        {"p.performOperation('dev', 5, 1, 10, null)", "execute|dev|(null)|1|(null)|10|slot=null"},
        {"p.performOperation('dev', {}, 1, 10, true)", "execute|dev|(null)|1|(null)|10|slot=null"},
        {"p.performOperation('dev')", "execute|dev|(null)|-1|(null)|-1|slot=null"},
        {"p.performOperation('d\\u00e9v', '\\ud83d\\ude00', 1, 10, '')", "execute|d\xC3\xA9v|\xF0\x9F\x98\x80|1||10|slot=null"},
        {"p.cancelCommand('ab\\u0000cd')", "cancel|ab|slot=null"},
        {"p.cleanupRemote('/dev/remote0')", "cleanupRemote|/dev/remote0|slot=null"},
    };
    for (const auto& [code, expected] : cases) {
        h.engine.reset();
        h.evaluate(code);
        EXPECT_THAT(h.engine.calls(), ElementsAre(expected)) << code;
    }
}

TEST_F(ScriptableObjectTest, EngineAnswersReachThePageByteForByteInOneBrowserBlockEach)
{
    const std::string devices = "device_id=1;;token=7;;vendor_id=4660;;product_id=22136;;input_report_length=64;;"
                                "output_report_length=64;;bcd_version_number=256||device_id=2;;token=8||";
    const std::string longAnswer(64 * 1024, 'A');
    h.engine.answerText("getDevicesInfo", devices);
    h.engine.answerText("execute", longAnswer);
    h.engine.answerText("cancel", "{{0|Command executed successfully:in KVE::cancel}}");
    h.engine.answerText("cleanupRemote", "{{0|Command executed successfully:in KVE::cleanupRemote}}");

    const uint64_t blocksBefore = nphost::MemoryLedger::instance().blocksHandedOut();
    EXPECT_EQ(h.evaluate("p.getDevices()"), "string:" + devices);
    EXPECT_EQ(h.evaluate("p.performOperation('1', '00', -1, 100, '')"), "string:" + longAnswer);
    EXPECT_EQ(h.evaluate("p.cancelCommand('1')"), "string:{{0|Command executed successfully:in KVE::cancel}}");
    EXPECT_EQ(h.evaluate("p.cleanupRemote('1')"), "string:{{0|Command executed successfully:in KVE::cleanupRemote}}");
    EXPECT_EQ(h.evaluate("p.getDevices()"), "string:");
    EXPECT_EQ(nphost::MemoryLedger::instance().blocksHandedOut() - blocksBefore, 5u);
}

struct FallbackCase {
    const char* code;
    const char* operation;
    int behaviour;
    const char* expected;
    bool engineCalled;
};

TEST_F(ScriptableObjectTest, EngineFailuresBecomeThePluginsOwnTexts)
{
    const char* nullExecute = "string:{{998|Null response from KVE in execute command}}";
    const char* nullCancel = "string:{{998|Null response from KVE in cancel command}}";
    const char* cleanupAllDone = "string:{{0|Cleanup all successfully executed!}}";
    const std::vector<FallbackCase> cases = {
        {"p.performOperation('d', 'AA', 1, 10, '')", "execute", FAKE_ANSWER_NULL, nullExecute, true},
        {"p.performOperation('d', 'AA', 1, 10, '')", "execute", FAKE_THROW_STD, EXCEPTION_TEXT, true},
        {"p.performOperation('d', 'AA', 1, 10, '')", "execute", FAKE_THROW_OTHER, EXCEPTION_TEXT, true},
        {"p.performOperation(7, 'AA', 1, 10, '')", "execute", FAKE_ANSWER_NULL, EXCEPTION_TEXT, false},
        {"p.cancelCommand('d')", "cancel", FAKE_ANSWER_NULL, nullCancel, true},
        {"p.cancelCommand('d')", "cancel", FAKE_THROW_STD, EXCEPTION_TEXT, true},
        {"p.cancelCommand(12)", "cancel", FAKE_ANSWER_NULL, EXCEPTION_TEXT, false},
        {"p.cancelCommand()", "cancel", FAKE_ANSWER_NULL, EXCEPTION_TEXT, false},
        {"p.cleanupRemote('d')", "cleanupRemote", FAKE_ANSWER_NULL, nullCancel, true},
        {"p.cleanupRemote('d')", "cleanupRemote", FAKE_THROW_OTHER, EXCEPTION_TEXT, true},
        {"p.cleanupRemote(null)", "cleanupRemote", FAKE_ANSWER_NULL, EXCEPTION_TEXT, false},
        {"p.cleanupAll()", "cleanupAll", FAKE_ANSWER_NULL, cleanupAllDone, true},
        {"p.cleanupAll()", "cleanupAll", FAKE_THROW_STD, EXCEPTION_TEXT, true},
        {"p.cleanupAll()", "cleanupAll", FAKE_THROW_OTHER, EXCEPTION_TEXT, true},
        {"p.getDevices()", "getDevicesInfo", FAKE_THROW_STD, EXCEPTION_TEXT, true},
        {"p.addHidlet(1, 2)", "addHidlet", FAKE_THROW_OTHER, "null", true},
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " / behaviour " + std::to_string(c.behaviour));
        h.engine.reset();
        h.engine.queue(c.operation, c.behaviour);
        EXPECT_EQ(h.evaluate(c.code), c.expected);
        EXPECT_EQ(h.engine.calls().size(), c.engineCalled ? 1u : 0u);
    }
}

TEST_F(ScriptableObjectTest, ABrowserOutOfMemoryGetsNullInsteadOfABrokenString)
{
    h.engine.answerText("execute", "0A1B");
    nphost::MemoryLedger::instance().failNextAllocations(1);
    EXPECT_EQ(h.evaluate("p.performOperation('d', 'AA', 1, 10, '')"), "null");
    nphost::MemoryLedger::instance().failNextAllocations(1);
    EXPECT_EQ(h.evaluate("p.getAttributeByKey('plugin_version')"), "null");
    EXPECT_EQ(h.evaluate("p.getAttributeByKey('plugin_version')"), "string:2.0");
}

} // namespace
} // namespace device_plugin_tests
