// The host as a plug-in sees it: conversions between script values and variants, object wrappers and
// their references, browser memory, identifiers and the page's timers.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "nphost/Browser.h"
#include "nphost/LeakCheck.h"
#include "nphost/MemoryLedger.h"
#include "nphost/ObjectRegistry.h"
#include "nphost/ScriptContext.h"

namespace {

using namespace std::string_literals;
using nphost::MemoryLedger;
using nphost::ObjectRegistry;

NPNetscapeFuncs* npn = nullptr;
int invalidations = 0;

std::string describe(const NPVariant& v)
{
    switch (v.type) {
    case NPVariantType_Void: return "Void";
    case NPVariantType_Null: return "Null";
    case NPVariantType_Bool: return std::string("Bool:") + (v.value.boolValue ? "true" : "false");
    case NPVariantType_Int32: return "Int32:" + std::to_string(v.value.intValue);
    case NPVariantType_Double: {
        std::ostringstream text;
        text << "Double:" << v.value.doubleValue;
        return text.str();
    }
    case NPVariantType_String:
        return "String:" + std::string(v.value.stringValue.UTF8Characters, v.value.stringValue.UTF8Length);
    case NPVariantType_Object: return "Object";
    }
    return "?";
}

void returnString(const std::string& text, NPVariant* result)
{
    auto* copy = static_cast<char*>(npn->memalloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    STRINGN_TO_NPVARIANT(copy, text.size(), *result);
}

bool named(NPIdentifier id, const char* name)
{
    return npn->identifierisstring(id) && id == npn->getstringidentifier(name);
}

// A plug-in object with a few methods and one property ("value"), written against the browser table.
struct TestObject {
    NPObject header;
    int32_t value;
};

NPObject* allocate(NPP, NPClass*)
{
    auto* object = new TestObject;
    object->value = 5;
    return &object->header;
}
void deallocate(NPObject* object) { delete reinterpret_cast<TestObject*>(object); }
void invalidate(NPObject*) { ++invalidations; }
bool hasMethod(NPObject*, NPIdentifier id)
{
    return named(id, "describe") || named(id, "echo") || named(id, "fail") || named(id, "raise");
}
bool invoke(NPObject* object, NPIdentifier id, const NPVariant* args, uint32_t count, NPVariant* result)
{
    if (named(id, "describe")) {
        std::string text;
        for (uint32_t i = 0; i < count; ++i)
            text += (i ? "," : "") + (NPVARIANT_IS_OBJECT(args[i]) && NPVARIANT_TO_OBJECT(args[i]) == object
                                          ? std::string("Object:self")
                                          : describe(args[i]));
        returnString(text, result);
        return true;
    }
    if (named(id, "echo") && count == 1) {
        if (NPVARIANT_IS_STRING(args[0])) {
            returnString(std::string(args[0].value.stringValue.UTF8Characters, args[0].value.stringValue.UTF8Length),
                         result);
        } else {
            *result = args[0];
            if (NPVARIANT_IS_OBJECT(args[0]))
                npn->retainobject(NPVARIANT_TO_OBJECT(args[0]));
        }
        return true;
    }
    if (named(id, "raise")) {
        npn->setexception(object, "boom");
        return true;
    }
    return false;
}
bool invokeDefault(NPObject*, const NPVariant*, uint32_t, NPVariant* result)
{
    INT32_TO_NPVARIANT(42, *result);
    return true;
}
bool hasProperty(NPObject*, NPIdentifier id) { return named(id, "value"); }
bool getProperty(NPObject* object, NPIdentifier id, NPVariant* result)
{
    if (!named(id, "value"))
        return false;
    INT32_TO_NPVARIANT(reinterpret_cast<TestObject*>(object)->value, *result);
    return true;
}
bool setProperty(NPObject* object, NPIdentifier id, const NPVariant* value)
{
    if (!named(id, "value") || !NPVARIANT_IS_INT32(*value))
        return false;
    reinterpret_cast<TestObject*>(object)->value = NPVARIANT_TO_INT32(*value);
    return true;
}
bool removeProperty(NPObject*, NPIdentifier) { return false; }

NPClass testClass = {NP_CLASS_STRUCT_VERSION, allocate, deallocate, invalidate, hasMethod, invoke, invokeDefault,
                     hasProperty, getProperty, setProperty, removeProperty, nullptr, nullptr};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        npn = browser.functions();
        blocks = MemoryLedger::instance().liveBlocks();
        objects = ObjectRegistry::instance().liveObjects();
        invalidUses = ObjectRegistry::instance().invalidUses();
        object = npn->createobject(&owner, &testClass);
        script.bindObject("o", object);
    }

    // The script context goes first; then the test's own reference.
    void closeScript()
    {
        script_.reset();
        if (object && ObjectRegistry::instance().isAlive(object))
            npn->releaseobject(object);
        object = nullptr;
    }

    void TearDown() override
    {
        closeScript();
        EXPECT_EQ(MemoryLedger::instance().liveBlocks(), blocks);
        EXPECT_EQ(ObjectRegistry::instance().liveObjects(), objects);
        EXPECT_EQ(ObjectRegistry::instance().invalidUses(), invalidUses);
    }

    nphost::Browser browser;
    NPP_t owner{nullptr, &browser};
    std::ostringstream out, err;
    std::unique_ptr<nphost::ScriptContext> script_ = std::make_unique<nphost::ScriptContext>(out, err);
    nphost::ScriptContext& script = *script_;
    NPObject* object = nullptr;
    size_t blocks = 0, objects = 0, invalidUses = 0;
};

TEST_F(HostTest, ScriptValuesReachPluginObjectsAsBrowserVariants)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"7", "Int32:7"},
        {"-2147483648", "Int32:-2147483648"},
        {"2147483648", "Double:2.14748e+09"},
        {"3.5", "Double:3.5"},
        {"-0", "Double:-0"},
        {"2.0", "Int32:2"},
        {"true", "Bool:true"},
        {"null", "Null"},
        {"undefined", "Void"},
        {"'a\\u0000b'", "String:a\0b"s},
        {"'\\u00e9\\ud83d\\ude00'", "String:\xC3\xA9\xF0\x9F\x98\x80"},
        {"({})", "Object"},
        {"[1]", "Object"},
        {"o", "Object:self"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(script.evaluate(std::string("o.describe(") + value + ")"), "string:" + expected) << value;
    }
    EXPECT_EQ(script.evaluate("o.describe()"), "string:");
}

TEST_F(HostTest, VariantsComeBackAsScriptValues)
{
    EXPECT_EQ(script.evaluate("o.echo('x')"), "string:x");
    EXPECT_EQ(script.evaluate("o.echo('a\\u0000b').length"), "number:3");
    EXPECT_EQ(script.evaluate("o.echo('\\ud83d\\ude00') === '\\ud83d\\ude00'"), "true");
    EXPECT_EQ(script.evaluate("o.echo(1.5)"), "number:1.5");
    EXPECT_EQ(script.evaluate("o.echo(null)"), "null");
    EXPECT_EQ(script.evaluate("o.echo(undefined)"), "undefined");
    EXPECT_EQ(script.evaluate("o.echo(false)"), "false");
    EXPECT_EQ(script.evaluate("o.echo(o) === o"), "true");
}

TEST_F(HostTest, PropertiesMethodsAndFailuresGoThroughTheObjectsClass)
{
    EXPECT_EQ(script.evaluate("o.value"), "number:5");
    EXPECT_EQ(script.evaluate("o.value = 9; o.value"), "number:9");
    EXPECT_EQ(script.evaluate("o.value = 'nine'; o.value"), "number:9");
    EXPECT_EQ(script.evaluate("'value' in o && 'echo' in o && !('other' in o)"), "true");
    EXPECT_EQ(script.evaluate("o.other"), "undefined");
    EXPECT_EQ(script.evaluate("o()"), "number:42");
    EXPECT_EQ(script.evaluate("o.fail()"), "error:Error: Error calling method on NPObject.");
    EXPECT_EQ(script.evaluate("o.raise()"), "error:Error: boom");
    EXPECT_EQ(script.evaluate("delete o.value"), "false");
}

TEST_F(HostTest, ObjectsReclaimedWithTheirInstanceAreGoneForScript)
{
    const uint64_t droppedBefore = ObjectRegistry::instance().referencesDropped();
    EXPECT_EQ(script.evaluate("o.value"), "number:5");
    ObjectRegistry::instance().reclaimObjectsOf(&owner);
    EXPECT_EQ(invalidations, 1);
    // The test's reference and the script wrapper's.
    EXPECT_EQ(ObjectRegistry::instance().referencesDropped() - droppedBefore, 2u);
    EXPECT_EQ(script.evaluate("o.value"), "error:Error: The plug-in object is no longer available.");
    EXPECT_EQ(script.evaluate("o.echo(1)"), "error:Error: The plug-in object is no longer available.");
    invalidations = 0;
}

TEST_F(HostTest, BrowserMemoryIsAccountedBlockByBlock)
{
    MemoryLedger& ledger = MemoryLedger::instance();
    void* block = npn->memalloc(16);
    EXPECT_EQ(ledger.liveBlocks(), blocks + 1);
    npn->memfree(block);
    const size_t invalidBefore = ledger.invalidFrees();
    npn->memfree(block);
    int local = 0;
    npn->memfree(&local);
    EXPECT_EQ(ledger.invalidFrees() - invalidBefore, 2u);
    EXPECT_EQ(ledger.liveBlocks(), blocks);
}

TEST_F(HostTest, LeakCheckTellsAnInstanceObjectsOwnReferenceFromALeakedOne)
{
    closeScript();
    struct Case {
        int extraReferences;
        bool keepBlock;
        std::string problems;
    };
    const Case cases[] = {
        {0, false, ""},
        {1, false, " references left on reclaimed objects: 2 (expected 1);"},
        {0, true, " browser memory blocks still held: 1;"},
    };
    for (const Case& c : cases) {
        const nphost::LeakCheck leaks;
        NPP_t instance{nullptr, &browser};
        NPObject* instanceObject = npn->createobject(&instance, &testClass);
        for (int i = 0; i < c.extraReferences; ++i)
            npn->retainobject(instanceObject);
        void* block = c.keepBlock ? npn->memalloc(8) : nullptr;
        ObjectRegistry::instance().reclaimObjectsOf(&instance);
        EXPECT_EQ(leaks.problems(1), c.problems);
        if (block)
            npn->memfree(block);
    }
    invalidations = 0;
}

TEST_F(HostTest, IdentifiersAreInternedForTheProcess)
{
    NPIdentifier name = npn->getstringidentifier("performOperation");
    EXPECT_EQ(npn->getstringidentifier("performOperation"), name);
    EXPECT_NE(npn->getstringidentifier("performoperation"), name);
    EXPECT_TRUE(npn->identifierisstring(name));
    NPUTF8* text = npn->utf8fromidentifier(name);
    EXPECT_STREQ(text, "performOperation");
    npn->memfree(text);

    NPIdentifier number = npn->getintidentifier(3);
    EXPECT_EQ(npn->getintidentifier(3), number);
    EXPECT_FALSE(npn->identifierisstring(number));
    EXPECT_EQ(npn->intfromidentifier(number), 3);
    EXPECT_EQ(npn->utf8fromidentifier(number), nullptr);
}

TEST_F(HostTest, TimersFireInDueOrderWithTheirArguments)
{
    script.evaluate("setTimeout(function (a, b) { console.log('late', a, b); }, 30, 1, 'two');"
                    "setTimeout(function () { console.log('first'); }, 0);"
                    "var dropped = setTimeout(function () { console.log('cleared'); }, 0);"
                    "setTimeout(function () { throw new Error('page bug'); }, 0);"
                    "setTimeout(function () { console.log('second'); }, 0);"
                    "clearTimeout(dropped);");
    EXPECT_EQ(script.runEventLoop(std::chrono::seconds(30)), nphost::ScriptContext::LoopEnd::Idle);
    EXPECT_EQ(out.str(), "first\nsecond\nlate 1 two\n");
    EXPECT_EQ(script.uncaughtErrors(), 1u);
    EXPECT_NE(err.str().find("page bug"), std::string::npos);
}

// Each task (the script, each timer) runs the promise jobs it queued before the next task starts.
// Timers of equal delay run in the order they were set.
TEST_F(HostTest, PromiseJobsRunAfterEachTask)
{
    script.evaluate("(async () => { console.log('start'); await new Promise(done => setTimeout(done, 0));"
                    "  console.log('awaited'); })();"
                    "setTimeout(() => { Promise.resolve().then(() => console.log('job of timer')); "
                    "console.log('timer'); }, 0);"
                    "setTimeout(() => console.log('next timer'), 0);"
                    "setTimeout(\"console.log('timer as text')\", 0);"
                    "Promise.resolve().then(() => console.log('job of script'));");
    EXPECT_EQ(out.str(), "start\njob of script\n");
    EXPECT_EQ(script.runEventLoop(std::chrono::seconds(30)), nphost::ScriptContext::LoopEnd::Idle);
    EXPECT_EQ(out.str(), "start\njob of script\nawaited\ntimer\njob of timer\nnext timer\ntimer as text\n");
    EXPECT_EQ(script.uncaughtErrors(), 0u);
}

TEST_F(HostTest, RejectionsNobodyHandlesAreUncaughtErrors)
{
    script.evaluate("Promise.reject(new Error('nobody')); Promise.reject(1).catch(() => {});"
                    "setTimeout(async () => { throw new TypeError('in async timer'); }, 0);");
    EXPECT_EQ(script.runEventLoop(std::chrono::seconds(30)), nphost::ScriptContext::LoopEnd::Idle);
    EXPECT_EQ(script.uncaughtErrors(), 2u);
    EXPECT_NE(err.str().find("error: Uncaught (in promise) Error: nobody"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("error: Uncaught (in promise) TypeError: in async timer"), std::string::npos);
}

TEST_F(HostTest, PageExitAndTimeLimitEndTheLoop)
{
    script.evaluate("setTimeout(function () { page.exit(3); }, 0);"
                    "setTimeout(function () { console.log('never'); }, 0);");
    EXPECT_EQ(script.runEventLoop(std::chrono::seconds(30)), nphost::ScriptContext::LoopEnd::Exited);
    EXPECT_EQ(script.exitCode(), 3);
    EXPECT_EQ(out.str(), "");

    nphost::ScriptContext other(out, err);
    other.evaluate("setTimeout(function () {}, 3600 * 1000);");
    EXPECT_EQ(other.runEventLoop(std::chrono::milliseconds(0)), nphost::ScriptContext::LoopEnd::TimedOut);
}

} // namespace
