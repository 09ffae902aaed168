// The plug-in's scriptable object driven through the host browser with any method or property
// name, any number of arguments of any type (strings with NULs and invalid UTF-8, doubles of
// every kind, objects), engine answers of any text, engine failures and a browser out of memory;
// and the same object called from page script with arguments of every kind.
//
// Every call must give a defined answer (a response text, the device list, "2.0" or null), hand
// the engine exactly the converted arguments, and leave no browser memory or object reference
// behind. The plug-in runs beside the fake engine, which records each call as text.
#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FakeEngineControl.h"
#include "FuzzInput.h"
#include "nphost/Browser.h"
#include "nphost/MemoryLedger.h"
#include "nphost/ObjectRegistry.h"
#include "nphost/Page.h"
#include "nphost/PluginModule.h"

namespace {

const char EXCEPTION_TEXT[] = "{{999|Unexpected exception in cancel command}}";
const char NULL_EXECUTE_TEXT[] = "{{998|Null response from KVE in execute command}}";
const char NULL_CANCEL_TEXT[] = "{{998|Null response from KVE in cancel command}}";
const char CLEANUP_ALL_TEXT[] = "{{0|Cleanup all successfully executed!}}";

const char* const kNames[] = {"addHidlet",     "getDevices",    "getAttributeByKey", "performOperation",
                              "cancelCommand", "cleanupRemote", "cleanupAll",        "NULL",
                              "reboot",        "",              "getdevices",        "toString"};
const size_t kMethodCount = 7;

struct FakeEngine {
    fake_engine_reset_fn reset;
    fake_engine_queue_fn queue;
    fake_engine_call_count_fn callCount;
    fake_engine_call_fn call;
};

struct Session {
    nphost::Browser browser;
    std::unique_ptr<nphost::PluginModule> module;
    std::ostringstream out, err;
    std::unique_ptr<nphost::Page> page;
    nphost::ObjectRef object;
    FakeEngine engine{};

    Session()
    {
        module = std::make_unique<nphost::PluginModule>(browser, std::string(FAKE_ENGINE_DIR) + "/" PLUGIN_FILE);
        page = std::make_unique<nphost::Page>(*module, out, err);
        object = page->addInstance().scriptableObject();
        FUZZ_CHECK(object.get() != nullptr, "the plug-in handed out no object");
        page->script().bindObject("p", object.get());

        // The libKVE.so the plug-in loaded: the same file again gives the same library.
        void* handle = dlopen((std::string(FAKE_ENGINE_DIR) + "/libKVE.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
        FUZZ_CHECK(handle != nullptr, "the fake engine is not loaded: %s", dlerror());
        engine.reset = reinterpret_cast<fake_engine_reset_fn>(dlsym(handle, "fake_engine_reset"));
        engine.queue = reinterpret_cast<fake_engine_queue_fn>(dlsym(handle, "fake_engine_queue"));
        engine.callCount = reinterpret_cast<fake_engine_call_count_fn>(dlsym(handle, "fake_engine_call_count"));
        engine.call = reinterpret_cast<fake_engine_call_fn>(dlsym(handle, "fake_engine_call"));
        FUZZ_CHECK(engine.reset && engine.queue && engine.callCount && engine.call, "fake engine controls missing");
    }

    NPNetscapeFuncs& npn() { return *browser.functions(); }
    NPP npp() { return page->instance(0).npp(); }
};

Session& session()
{
    // One browser and page for the whole run, as a page lives on between calls. Never destroyed:
    // the fuzzer ends the process from its own exit path.
    static Session* instance = new Session;
    return *instance;
}

// What the engine will answer for one operation.
struct EngineAnswer {
    int behaviour;
    std::string text;
};

EngineAnswer pickAnswer(fuzz::FuzzInput& input)
{
    const int behaviour = input.below(4);
    return EngineAnswer{behaviour, behaviour == FAKE_ANSWER_TEXT ? input.text(64) : std::string()};
}

// Arguments with the storage their strings and objects need.
struct Arguments {
    std::vector<NPVariant> values;
    std::vector<std::unique_ptr<std::string>> strings;
};

void makeArgument(fuzz::FuzzInput& input, Session& s, Arguments& args)
{
    NPVariant v;
    switch (input.below(9)) {
    case 0: VOID_TO_NPVARIANT(v); break;
    case 1: NULL_TO_NPVARIANT(v); break;
    case 2: BOOLEAN_TO_NPVARIANT(input.flag(), v); break;
    case 3: INT32_TO_NPVARIANT(input.i32(), v); break;
    case 4: DOUBLE_TO_NPVARIANT(input.number(), v); break;
    case 5: {
        static const double special[] = {std::nan(""), INFINITY, -INFINITY, 1e300, -1e300, 2147483648.0,
                                         -2147483649.0, 2147483647.9, -0.0, 3.9, -2.5, 4294967296.0};
        DOUBLE_TO_NPVARIANT(special[input.below(12)], v);
        break;
    }
    case 6: OBJECT_TO_NPVARIANT(s.object.get(), v); break;
    case 7: {
        // An empty string may come without characters at all.
        if (input.flag()) {
            NPString empty = {nullptr, 0};
            v.type = NPVariantType_String;
            v.value.stringValue = empty;
            break;
        }
    }
        [[fallthrough]];
    default: {
        args.strings.push_back(std::make_unique<std::string>(input.text()));
        const std::string& text = *args.strings.back();
        STRINGN_TO_NPVARIANT(text.data(), static_cast<uint32_t>(text.size()), v);
        break;
    }
    }
    args.values.push_back(v);
}

// The plug-in's integer conversion, as the page is promised it.
long intOf(const Arguments& args, size_t index)
{
    if (index >= args.values.size())
        return -1;
    const NPVariant& v = args.values[index];
    if (NPVARIANT_IS_INT32(v))
        return NPVARIANT_TO_INT32(v);
    if (NPVARIANT_IS_DOUBLE(v)) {
        const double t = std::trunc(NPVARIANT_TO_DOUBLE(v));
        return t >= std::numeric_limits<int32_t>::min() && t <= std::numeric_limits<int32_t>::max()
                   ? static_cast<long>(t)
                   : -1;
    }
    return -1;
}

// A text argument up to its first NUL; `present` false for a missing or non-string argument.
std::string textOf(const Arguments& args, size_t index, bool& present)
{
    present = index < args.values.size() && NPVARIANT_IS_STRING(args.values[index]);
    if (!present)
        return std::string();
    const NPString& s = NPVARIANT_TO_STRING(args.values[index]);
    const std::string text(s.UTF8Characters ? s.UTF8Characters : "", s.UTF8Characters ? s.UTF8Length : 0);
    return text.substr(0, text.find('\0'));
}

std::string shownText(const Arguments& args, size_t index)
{
    bool present = false;
    const std::string text = textOf(args, index, present);
    return present ? text : "(null)";
}

std::string resultText(const NPVariant& result, bool& isString)
{
    isString = NPVARIANT_IS_STRING(result);
    if (!isString)
        return std::string();
    const NPString& s = NPVARIANT_TO_STRING(result);
    FUZZ_CHECK(s.UTF8Characters != nullptr, "string result without characters");
    FUZZ_CHECK(s.UTF8Characters[s.UTF8Length] == '\0', "string result is not NUL-terminated");
    FUZZ_CHECK(std::strlen(s.UTF8Characters) == s.UTF8Length, "string result length %u is not its text's",
               s.UTF8Length);
    return std::string(s.UTF8Characters, s.UTF8Length);
}

std::string lastEngineCall(Session& s, size_t before)
{
    const size_t count = s.engine.callCount();
    FUZZ_CHECK(count <= before + 1, "one call reached the engine %zu times", count - before);
    return count == before + 1 ? s.engine.call(before) : std::string("(none)");
}

void invokeMethod(fuzz::FuzzInput& input, Session& s, size_t method, NPIdentifier name)
{
    Arguments args;
    const size_t count = input.below(8);
    for (size_t i = 0; i < count; ++i)
        makeArgument(input, s, args);

    const EngineAnswer answer = pickAnswer(input);
    static const char* const operations[] = {"addHidlet", "getDevicesInfo", "", "execute",
                                             "cancel",    "cleanupRemote",  "cleanupAll"};
    if (method < kMethodCount && operations[method][0])
        s.engine.queue(operations[method], answer.behaviour, answer.text.c_str());
    const bool outOfMemory = input.below(16) == 0;
    if (outOfMemory)
        nphost::MemoryLedger::instance().failNextAllocations(1);

    const size_t callsBefore = s.engine.callCount();
    NPVariant result;
    INT32_TO_NPVARIANT(77, result);
    const bool handled = s.npn().invoke(s.npp(), s.object.get(), name, args.values.data(),
                                        static_cast<uint32_t>(args.values.size()), &result);
    if (outOfMemory)
        nphost::MemoryLedger::instance().failNextAllocations(0);
    const std::string call = lastEngineCall(s, callsBefore);

    if (method >= kMethodCount) {
        FUZZ_CHECK(!handled, "unknown method %s was handled", kNames[method]);
        FUZZ_CHECK(NPVARIANT_IS_INT32(result) && NPVARIANT_TO_INT32(result) == 77, "failed call touched the result");
        FUZZ_CHECK(call == "(none)", "unknown method reached the engine: %s", call.c_str());
        return;
    }
    FUZZ_CHECK(handled, "method %s refused", kNames[method]);
    bool isString = false;
    const std::string text = resultText(result, isString);
    FUZZ_CHECK(isString || NPVARIANT_IS_NULL(result), "method %s answered a variant of type %d", kNames[method],
               result.type);
    s.npn().releasevariantvalue(&result);

    // Out of memory the answer is null; otherwise it is what the page is promised.
    const bool answered = !outOfMemory;
    const bool engineThrew = answer.behaviour == FAKE_THROW_STD || answer.behaviour == FAKE_THROW_OTHER;
    std::string expected;
    bool expectString = true;
    bool present = false;
    switch (method) {
    case 0:
        FUZZ_CHECK(call == "addHidlet|" + std::to_string(intOf(args, 0)) + "|" + std::to_string(intOf(args, 1)),
                   "engine got %s", call.c_str());
        expectString = false;
        break;
    case 1:
        FUZZ_CHECK(call == "getDevicesInfo", "engine got %s", call.c_str());
        expected = engineThrew ? EXCEPTION_TEXT : answer.text.substr(0, answer.text.find('\0'));
        break;
    case 2:
        FUZZ_CHECK(call == "(none)", "getAttributeByKey reached the engine");
        expectString = textOf(args, 0, present) == "plugin_version" && present;
        expected = "2.0";
        break;
    case 6:
        FUZZ_CHECK(call == "cleanupAll", "engine got %s", call.c_str());
        expected = engineThrew ? EXCEPTION_TEXT : CLEANUP_ALL_TEXT;
        break;
    default: {
        const std::string device = textOf(args, 0, present);
        std::string record;
        if (method == 3)
            record = "execute|" + device + "|" + shownText(args, 1) + "|" + std::to_string(intOf(args, 2)) + "|"
                     + shownText(args, 4) + "|" + std::to_string(intOf(args, 3));
        else
            record = (method == 4 ? "cancel|" : "cleanupRemote|") + device;
        if (!present) {
            FUZZ_CHECK(call == "(none)", "a non-string device reached the engine: %s", call.c_str());
            expected = EXCEPTION_TEXT;
            break;
        }
        FUZZ_CHECK(call == record + "|slot=null", "engine got %s, not %s", call.c_str(), record.c_str());
        if (engineThrew)
            expected = EXCEPTION_TEXT;
        else if (answer.behaviour == FAKE_ANSWER_NULL)
            expected = method == 3 ? NULL_EXECUTE_TEXT : NULL_CANCEL_TEXT;
        else
            expected = answer.text.substr(0, answer.text.find('\0'));
    }
    }
    if (!answered || !expectString)
        FUZZ_CHECK(!isString, "method %s answered a string", kNames[method]);
    else
        FUZZ_CHECK(isString && text == expected, "method %s answered '%s', not '%s'", kNames[method], text.c_str(),
                   expected.c_str());
}

void touchProperty(fuzz::FuzzInput& input, Session& s, size_t name, NPIdentifier id)
{
    const bool isNull = std::strcmp(kNames[name], "NULL") == 0;
    const bool isMethod = name < kMethodCount;
    FUZZ_CHECK(s.npn().hasmethod(s.npp(), s.object.get(), id) == isMethod, "hasMethod(%s)", kNames[name]);
    FUZZ_CHECK(s.npn().hasproperty(s.npp(), s.object.get(), id) == isNull, "hasProperty(%s)", kNames[name]);
    NPVariant value;
    VOID_TO_NPVARIANT(value);
    const bool got = s.npn().getproperty(s.npp(), s.object.get(), id, &value);
    FUZZ_CHECK(got == isNull, "getProperty(%s)", kNames[name]);
    if (got) {
        FUZZ_CHECK(NPVARIANT_IS_OBJECT(value) && NPVARIANT_TO_OBJECT(value) == s.object.get(), "NULL is not the object");
        s.npn().releasevariantvalue(&value);
    }
    Arguments args;
    makeArgument(input, s, args);
    FUZZ_CHECK(!s.npn().setproperty(s.npp(), s.object.get(), id, &args.values[0]), "setProperty(%s)", kNames[name]);
    FUZZ_CHECK(!s.npn().removeproperty(s.npp(), s.object.get(), id), "removeProperty(%s)", kNames[name]);
    NPVariant result;
    VOID_TO_NPVARIANT(result);
    FUZZ_CHECK(!s.npn().invokeDefault(s.npp(), s.object.get(), args.values.data(), 1, &result), "invokeDefault");
}

// The page's way in: script values through the host's conversion.
void callFromScript(fuzz::FuzzInput& input, Session& s, size_t method)
{
    static const char* const literals[] = {
        "7",       "3.9",         "-2.5",          "NaN",        "Infinity", "-Infinity",   "1e300",
        "-0",      "2147483647",  "-2147483648",   "2147483648", "'0102'",   "'GG'",        "''",
        "'\\u0000AB'", "'AB\\u0000CD'", "'\\uD800'", "'\\uDC00\\uD800'", "'\\u00e9\\ud83d\\ude00'", "null",
        "undefined", "true",      "({})",          "[1,2]",      "p",        "function(){}", "'plugin_version'",
        "'FF'",    "-1",          "0",             "'336592896'"};
    const size_t n = sizeof literals / sizeof literals[0];
    std::string code = "p." + std::string(kNames[method]) + "(";
    const size_t count = input.below(7);
    for (size_t i = 0; i < count; ++i)
        code += std::string(i ? ", " : "") + literals[input.below(n)];
    code += ")";
    static const char* const operations[] = {"addHidlet", "getDevicesInfo", "", "execute",
                                             "cancel",    "cleanupRemote",  "cleanupAll"};
    const EngineAnswer answer = pickAnswer(input);
    if (method < kMethodCount && operations[method][0])
        s.engine.queue(operations[method], answer.behaviour, answer.text.c_str());
    const std::string shown = s.page->script().evaluate(code);
    // toString is no method of the plug-in, but every object inherits one, as in a browser.
    const bool inherited = std::strcmp(kNames[method], "toString") == 0;
    if (method < kMethodCount || inherited)
        FUZZ_CHECK(shown == "null" || shown.rfind("string:", 0) == 0, "%s gave %s", code.c_str(), shown.c_str());
    else
        FUZZ_CHECK(shown.rfind("error:", 0) == 0, "%s gave %s", code.c_str(), shown.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Session& s = session();
    auto& memory = nphost::MemoryLedger::instance();
    auto& objects = nphost::ObjectRegistry::instance();
    const size_t blocks = memory.liveBlocks();
    const size_t badFrees = memory.invalidFrees();
    const size_t liveObjects = objects.liveObjects();
    const size_t badUses = objects.invalidUses();
    const uint32_t references = s.object.get()->referenceCount;

    fuzz::FuzzInput input(data, size);
    for (int step = 0; step < 8 && !input.empty(); ++step) {
        s.engine.reset();
        const size_t name = input.below(sizeof kNames / sizeof kNames[0]);
        const NPIdentifier id = s.npn().getstringidentifier(kNames[name]);
        switch (input.below(3)) {
        case 0: invokeMethod(input, s, name, id); break;
        case 1: touchProperty(input, s, name, id); break;
        default: callFromScript(input, s, name); break;
        }
    }
    s.engine.reset();

    FUZZ_CHECK(memory.liveBlocks() == blocks, "%zu browser memory block(s) left", memory.liveBlocks() - blocks);
    FUZZ_CHECK(memory.invalidFrees() == badFrees, "bad frees of browser memory");
    FUZZ_CHECK(objects.invalidUses() == badUses, "retains or releases of dead objects");
    FUZZ_CHECK(objects.liveObjects() == liveObjects, "%zu object(s) left alive", objects.liveObjects() - liveObjects);
    // The plug-in's own object stays alive for the session, so a reference retained too often on it
    // shows only in its count.
    FUZZ_CHECK(s.object.get()->referenceCount == references, "the plug-in object's references went from %u to %u",
               static_cast<unsigned>(references), static_cast<unsigned>(s.object.get()->referenceCount));
    return 0;
}
