// Text between UTF-8 and script strings, and what the engine does with promise jobs between tasks:
// both page hosts count on the jobs of a task running when the outermost call into script returns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/JsString.h"
#include "script/ScriptValues.h"
#include "script/Utf.h"

namespace {

using namespace std::string_literals;

TEST(Utf, IllFormedInputBecomesReplacementCharacters)
{
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"a\0b"s, u"a\0b"s},
        {"\xC3\xA9\xF0\x9F\x98\x80", u"\u00E9\U0001F600"},
        {"\xFF", u"\uFFFD"},
        {"\xC3", u"\uFFFD"},                          // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},      // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(script::utf8ToUtf16(c.utf8), c.utf16) << c.utf8;

    EXPECT_EQ(script::utf16ToUtf8(u"\U0001F600x"), "\xF0\x9F\x98\x80x");
    EXPECT_EQ(script::utf16ToUtf8(u"\xD800x\xDC00"s), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

class EngineTask : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A global object of a class of its own, so that it can carry the test.
        JSClassDefinition definition = kJSClassDefinitionEmpty;
        globalClass = JSClassCreate(&definition);
        ctx = JSGlobalContextCreate(globalClass);
        JSObjectRef global = JSContextGetGlobalObject(ctx);
        JSObjectSetPrivate(global, this);
        for (auto [name, callback] : {std::pair<const char*, JSObjectCallAsFunctionCallback>{"log", log},
                                      {"later", later}, {"nested", nested}}) {
            const script::JsString key = script::JsString::fromUtf8(name);
            JSObjectSetProperty(ctx, global, key.get(), JSObjectMakeFunctionWithCallback(ctx, key.get(), callback),
                                kJSPropertyAttributeNone, nullptr);
        }
    }
    void TearDown() override
    {
        if (saved)
            JSValueUnprotect(ctx, saved);
        JSGlobalContextRelease(ctx);
        JSClassRelease(globalClass);
    }

    void run(const char* code)
    {
        JSValueRef exception = nullptr;
        JSEvaluateScript(ctx, script::JsString::fromUtf8(code).get(), nullptr, nullptr, 1, &exception);
        ASSERT_FALSE(exception) << script::textOf(ctx, exception);
        lines.push_back("--");
    }

    static std::vector<std::string>& linesOf(JSContextRef ctx) { return testOf(ctx).lines; }
    static EngineTask& testOf(JSContextRef ctx)
    {
        return *static_cast<EngineTask*>(JSObjectGetPrivate(JSContextGetGlobalObject(ctx)));
    }
    static JSValueRef log(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t n, const JSValueRef a[], JSValueRef*)
    {
        linesOf(ctx).push_back(n ? script::textOf(ctx, a[0]) : "");
        return JSValueMakeUndefined(ctx);
    }
    // Keeps a function to call later from outside, as a timer does.
    static JSValueRef later(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t, const JSValueRef a[], JSValueRef*)
    {
        testOf(ctx).saved = JSValueToObject(ctx, a[0], nullptr);
        JSValueProtect(ctx, testOf(ctx).saved);
        return JSValueMakeUndefined(ctx);
    }
    // Calls back into script from inside a native function.
    static JSValueRef nested(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t, const JSValueRef a[], JSValueRef*)
    {
        JSObjectCallAsFunction(ctx, JSValueToObject(ctx, a[0], nullptr), nullptr, 0, nullptr, nullptr);
        linesOf(ctx).push_back("back in native");
        return JSValueMakeUndefined(ctx);
    }

    JSClassRef globalClass = nullptr;
    JSGlobalContextRef ctx = nullptr;
    JSObjectRef saved = nullptr;
    std::vector<std::string> lines;
};

TEST_F(EngineTask, PromiseJobsRunWhenTheOutermostCallReturns)
{
    run("Promise.resolve().then(() => log('job')); log('script');");
    run("later(() => { Promise.resolve().then(() => log('timer job')); log('timer'); });"
        "(async () => { await null; log('after await'); })(); log('script 2');");
    JSObjectCallAsFunction(ctx, saved, nullptr, 0, nullptr, nullptr);
    lines.push_back("--");
    run("nested(() => Promise.resolve().then(() => log('nested job'))); log('end of script');");
    EXPECT_EQ(lines, (std::vector<std::string>{"script", "job", "--", "script 2", "after await", "--", "timer",
                                               "timer job", "--", "back in native", "end of script", "nested job",
                                               "--"}));
}

TEST_F(EngineTask, UnhandledRejectionsAreReportedAfterTheTask)
{
    script::onUnhandledRejection(ctx, [](JSContextRef ctx, JSObjectRef, JSObjectRef, size_t n, const JSValueRef a[],
                                         JSValueRef*) -> JSValueRef {
        linesOf(ctx).push_back("unhandled " + (n > 1 ? script::textOf(ctx, a[1]) : std::string()));
        return JSValueMakeUndefined(ctx);
    });
    run("Promise.reject(new Error('lost')); Promise.reject(2).catch(() => {});"
        "(async () => { throw new TypeError('async'); })(); log('script');");
    EXPECT_EQ(lines, (std::vector<std::string>{"script", "unhandled Error: lost", "unhandled TypeError: async", "--"}));
}

} // namespace
