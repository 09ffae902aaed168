#include "nphost/ScriptContext.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>

#include <JavaScriptCore/JavaScript.h>

#include "ObjectBinding.h"
#include "script/FileText.h"
#include "script/JsString.h"
#include "script/ModuleLoader.h"
#include "script/ScriptValues.h"

namespace nphost {

namespace {

using Clock = std::chrono::steady_clock;
using script::JsString;

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// A value kept from the collector while native code holds it (a timer's callback and arguments).
class KeptValue {
public:
    KeptValue(JSContextRef ctx, JSValueRef value) : ctx_(ctx), value_(value) { JSValueProtect(ctx_, value_); }
    KeptValue(const KeptValue& other) : KeptValue(other.ctx_, other.value_) {}
    KeptValue& operator=(const KeptValue&) = delete;
    ~KeptValue() { JSValueUnprotect(ctx_, value_); }
    JSValueRef get() const { return value_; }

private:
    JSContextRef ctx_;
    JSValueRef value_;
};

} // namespace

struct ScriptContext::Impl {
    struct Timer {
        Clock::time_point due;
        uint64_t sequence;
        // The callback (or the code text), then the arguments it gets.
        std::vector<KeptValue> values;
    };

    Impl(std::ostream& out, std::ostream& err);
    ~Impl();

    static Impl& of(JSContextRef ctx);
    void defineFunction(JSObjectRef object, const char* name, JSObjectCallAsFunctionCallback callback);
    void installGlobals();
    void reportError(JSValueRef error, const char* prefix = "");
    void fireTimer(int id);
    JSValueRef run(const std::string& source, const std::string& fileName, JSValueRef* exception);

    static JSValueRef consoleLog(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef consoleError(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef setTimeout(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef clearTimeout(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef embed(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef loadScript(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef pageEnv(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef pageExit(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef unhandledRejection(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[],
                                         JSValueRef*);
    static void write(JSContextRef ctx, std::ostream& stream, size_t count, const JSValueRef arguments[]);

    std::ostream& out;
    std::ostream& err;
    JSClassRef globalClass;
    JSContextGroupRef group;
    JSGlobalContextRef ctx;
    std::unique_ptr<ObjectBinding> binding;
    std::unique_ptr<script::ModuleLoader> modules;
    Embedder embedder;
    std::function<void()> idleHook;
    std::string baseDirectory = ".";
    std::map<int, Timer> timers;
    int nextTimerId = 1;
    uint64_t nextSequence = 0;
    bool exitRequested = false;
    int exitCode = 0;
    size_t uncaughtErrors = 0;
};

ScriptContext::Impl::Impl(std::ostream& out, std::ostream& err) : out(out), err(err)
{
    // The global object carries this Impl, so that the host functions find their page.
    JSClassDefinition definition = kJSClassDefinitionEmpty;
    definition.className = "Window";
    globalClass = JSClassCreate(&definition);
    group = JSContextGroupCreate();
    ctx = JSGlobalContextCreateInGroup(group, globalClass);
    JSObjectSetPrivate(JSContextGetGlobalObject(ctx), this);
    binding = std::make_unique<ObjectBinding>(ctx);
    installGlobals();
    script::onUnhandledRejection(ctx, unhandledRejection);
}

ScriptContext::Impl::~Impl()
{
    // Plug-in objects go back first, while the engine still runs; then the engine and with it every
    // script value.
    timers.clear();
    modules.reset();
    binding.reset();
    JSGlobalContextRelease(ctx);
    JSContextGroupRelease(group);
    JSClassRelease(globalClass);
}

ScriptContext::Impl& ScriptContext::Impl::of(JSContextRef ctx)
{
    return *static_cast<Impl*>(JSObjectGetPrivate(JSContextGetGlobalObject(ctx)));
}

void ScriptContext::Impl::defineFunction(JSObjectRef object, const char* name, JSObjectCallAsFunctionCallback callback)
{
    const JsString key = JsString::fromUtf8(name);
    JSObjectSetProperty(ctx, object, key.get(), JSObjectMakeFunctionWithCallback(ctx, key.get(), callback),
                        kJSPropertyAttributeNone, nullptr);
}

void ScriptContext::Impl::installGlobals()
{
    JSObjectRef global = JSContextGetGlobalObject(ctx);
    JSObjectRef console = JSObjectMake(ctx, nullptr, nullptr);
    defineFunction(console, "log", consoleLog);
    defineFunction(console, "error", consoleError);
    JSObjectSetProperty(ctx, global, JsString::fromUtf8("console").get(), console, kJSPropertyAttributeNone,
                        nullptr);

    defineFunction(global, "setTimeout", setTimeout);
    defineFunction(global, "clearTimeout", clearTimeout);
    defineFunction(global, "embed", embed);
    defineFunction(global, "load", loadScript);

    JSObjectRef page = JSObjectMake(ctx, nullptr, nullptr);
    JSObjectSetProperty(ctx, page, JsString::fromUtf8("args").get(), JSObjectMakeArray(ctx, 0, nullptr, nullptr),
                        kJSPropertyAttributeNone, nullptr);
    defineFunction(page, "env", pageEnv);
    defineFunction(page, "exit", pageExit);
    JSObjectSetProperty(ctx, global, JsString::fromUtf8("page").get(), page, kJSPropertyAttributeNone, nullptr);
}

// An error that reached the top of a task: its text, where it was thrown and the call stack.
void ScriptContext::Impl::reportError(JSValueRef error, const char* prefix)
{
    ++uncaughtErrors;
    err << "error: " << prefix << script::textOf(ctx, error);
    if (JSValueIsObject(ctx, error)) {
        JSObjectRef object = JSValueToObject(ctx, error, nullptr);
        const std::string file = script::stringProperty(ctx, object, "sourceURL");
        const double line = script::numberProperty(ctx, object, "line", 0);
        if (!file.empty())
            err << " (" << file << ':' << static_cast<long>(line) << ')';
        std::istringstream stack(script::stringProperty(ctx, object, "stack"));
        std::string frame;
        while (std::getline(stack, frame))
            err << "\n    at " << frame;
    }
    err << '\n';
}

void ScriptContext::Impl::write(JSContextRef ctx, std::ostream& stream, size_t count, const JSValueRef arguments[])
{
    std::string line;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            line += ' ';
        line += script::textOf(ctx, arguments[i], "(no text)");
    }
    stream << line << '\n';
    stream.flush();
}

JSValueRef ScriptContext::Impl::consoleLog(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                           const JSValueRef arguments[], JSValueRef*)
{
    write(ctx, of(ctx).out, count, arguments);
    return JSValueMakeUndefined(ctx);
}

JSValueRef ScriptContext::Impl::consoleError(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                             const JSValueRef arguments[], JSValueRef*)
{
    write(ctx, of(ctx).err, count, arguments);
    return JSValueMakeUndefined(ctx);
}

// setTimeout(callback, delay, ...arguments), or setTimeout(code, delay) with code as text, as in a
// browser. Timers fall due in order of their due time; equal ones in the order they were made.
JSValueRef ScriptContext::Impl::setTimeout(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                           const JSValueRef arguments[], JSValueRef* exception)
{
    Impl& impl = of(ctx);
    if (count < 1) {
        *exception = script::makeError(ctx, "TypeError", "setTimeout needs a function");
        return JSValueMakeUndefined(ctx);
    }
    Timer timer;
    if (JSValueIsObject(ctx, arguments[0]) && JSObjectIsFunction(ctx, JSValueToObject(ctx, arguments[0], nullptr))) {
        timer.values.emplace_back(ctx, arguments[0]);
        for (size_t i = 2; i < count; ++i)
            timer.values.emplace_back(ctx, arguments[i]);
    } else {
        JSValueRef failure = nullptr;
        const JsString code = JsString::of(ctx, arguments[0], &failure);
        if (failure) {
            *exception = failure;
            return JSValueMakeUndefined(ctx);
        }
        timer.values.emplace_back(ctx, code.value(ctx));
    }
    double delay = count > 1 ? JSValueToNumber(ctx, arguments[1], nullptr) : 0;
    if (!(delay > 0))
        delay = 0;
    delay = std::min(delay, 2147483647.0);
    timer.due = Clock::now() + std::chrono::microseconds(static_cast<int64_t>(delay * 1000));
    timer.sequence = impl.nextSequence++;
    const int id = impl.nextTimerId++;
    impl.timers.emplace(id, std::move(timer));
    return JSValueMakeNumber(ctx, id);
}

JSValueRef ScriptContext::Impl::clearTimeout(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                             const JSValueRef arguments[], JSValueRef*)
{
    if (count > 0 && JSValueIsNumber(ctx, arguments[0]))
        of(ctx).timers.erase(JSValueToInt32(ctx, arguments[0], nullptr));
    return JSValueMakeUndefined(ctx);
}

// One timer is one task: the jobs its callback queues (promise reactions) run when it returns.
void ScriptContext::Impl::fireTimer(int id)
{
    auto found = timers.find(id);
    if (found == timers.end())
        return;
    const std::vector<KeptValue> values = std::move(found->second.values);
    timers.erase(found);
    if (values.empty())
        return;
    JSValueRef exception = nullptr;
    if (JSValueIsString(ctx, values[0].get())) {
        run(script::textOf(ctx, values[0].get()), "setTimeout", &exception);
    } else {
        std::vector<JSValueRef> arguments;
        for (size_t i = 1; i < values.size(); ++i)
            arguments.push_back(values[i].get());
        JSObjectCallAsFunction(ctx, JSValueToObject(ctx, values[0].get(), nullptr), nullptr, arguments.size(),
                               arguments.data(), &exception);
    }
    if (exception)
        reportError(exception);
}

JSValueRef ScriptContext::Impl::run(const std::string& source, const std::string& fileName, JSValueRef* exception)
{
    const JsString code = JsString::fromUtf8(source);
    const JsString url = JsString::fromUtf8(fileName);
    return JSEvaluateScript(ctx, code.get(), nullptr, url.get(), 1, exception);
}

JSValueRef ScriptContext::Impl::embed(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                      const JSValueRef arguments[], JSValueRef* exception)
{
    Impl& impl = of(ctx);
    const std::string mimeType =
        count > 0 && JSValueIsString(ctx, arguments[0]) ? script::textOf(ctx, arguments[0]) : std::string();
    std::string error = "embed() is not available on this page";
    ObjectRef object;
    if (impl.embedder) {
        try {
            object = impl.embedder(mimeType, error);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    if (!object) {
        *exception = script::makeError(ctx, "Error", error);
        return JSValueMakeUndefined(ctx);
    }
    return impl.binding->valueOf(object.get());
}

JSValueRef ScriptContext::Impl::loadScript(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                           const JSValueRef arguments[], JSValueRef* exception)
{
    Impl& impl = of(ctx);
    const std::string path =
        count > 0 && JSValueIsString(ctx, arguments[0]) ? script::textOf(ctx, arguments[0]) : std::string();
    const std::string fullPath = !path.empty() && path[0] == '/' ? path : impl.baseDirectory + "/" + path;
    std::string source;
    if (!script::readFileText(fullPath, source)) {
        *exception = script::makeError(ctx, "Error", "cannot read " + fullPath);
        return JSValueMakeUndefined(ctx);
    }
    JSValueRef result = impl.run(source, fullPath, exception);
    return result ? result : JSValueMakeUndefined(ctx);
}

JSValueRef ScriptContext::Impl::pageEnv(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                        const JSValueRef arguments[], JSValueRef*)
{
    const char* value = nullptr;
    if (count > 0 && JSValueIsString(ctx, arguments[0]))
        value = std::getenv(script::textOf(ctx, arguments[0]).c_str());
    return value ? JsString::fromUtf8(value).value(ctx) : JSValueMakeUndefined(ctx);
}

JSValueRef ScriptContext::Impl::pageExit(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                         const JSValueRef arguments[], JSValueRef*)
{
    Impl& impl = of(ctx);
    impl.exitRequested = true;
    impl.exitCode = count > 0 && JSValueIsNumber(ctx, arguments[0]) ? JSValueToInt32(ctx, arguments[0], nullptr) : 0;
    return JSValueMakeUndefined(ctx);
}

// A promise was rejected and nothing handled it by the end of its task: a page error, as a
// browser reports it.
JSValueRef ScriptContext::Impl::unhandledRejection(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count,
                                                   const JSValueRef arguments[], JSValueRef*)
{
    of(ctx).reportError(count > 1 ? arguments[1] : JSValueMakeUndefined(ctx), "Uncaught (in promise) ");
    return JSValueMakeUndefined(ctx);
}

ScriptContext::ScriptContext(std::ostream& out, std::ostream& err) : impl_(std::make_unique<Impl>(out, err)) {}

ScriptContext::~ScriptContext() = default;

void ScriptContext::setEmbedder(Embedder embedder)
{
    impl_->embedder = std::move(embedder);
}

void ScriptContext::setPageArguments(const std::vector<std::string>& arguments)
{
    JSContextRef ctx = impl_->ctx;
    std::vector<JSValueRef> values;
    for (const std::string& argument : arguments)
        values.push_back(JsString::fromUtf8(argument).value(ctx));
    JSObjectRef array = JSObjectMakeArray(ctx, values.size(), values.data(), nullptr);
    JSValueRef page = JSObjectGetProperty(ctx, JSContextGetGlobalObject(ctx), JsString::fromUtf8("page").get(),
                                          nullptr);
    if (page && JSValueIsObject(ctx, page))
        JSObjectSetProperty(ctx, JSValueToObject(ctx, page, nullptr), JsString::fromUtf8("args").get(), array,
                            kJSPropertyAttributeNone, nullptr);
}

void ScriptContext::setIdleHook(std::function<void()> hook)
{
    impl_->idleHook = std::move(hook);
}

void ScriptContext::bindObject(const std::string& name, NPObject* object)
{
    JSContextRef ctx = impl_->ctx;
    JSObjectSetProperty(ctx, JSContextGetGlobalObject(ctx), JsString::fromUtf8(name).get(),
                        impl_->binding->valueOf(object), kJSPropertyAttributeNone, nullptr);
}

std::string ScriptContext::evaluate(const std::string& code)
{
    JSContextRef ctx = impl_->ctx;
    JSValueRef exception = nullptr;
    JSValueRef value = impl_->run(code, "eval", &exception);
    if (exception)
        return "error:" + script::textOf(ctx, exception);
    switch (JSValueGetType(ctx, value)) {
    case kJSTypeUndefined: return "undefined";
    case kJSTypeNull: return "null";
    case kJSTypeBoolean: return JSValueToBoolean(ctx, value) ? "true" : "false";
    case kJSTypeNumber: return "number:" + script::textOf(ctx, value);
    case kJSTypeString: return "string:" + script::textOf(ctx, value);
    case kJSTypeSymbol: return "symbol";
    case kJSTypeBigInt: return "bigint:" + script::textOf(ctx, value);
    case kJSTypeObject: break;
    }
    return JSObjectIsFunction(ctx, JSValueToObject(ctx, value, nullptr)) ? "function" : "object";
}

bool ScriptContext::runFile(const std::string& path)
{
    std::string source;
    if (!script::readFileText(path, source)) {
        impl_->err << "error: cannot read " << path << '\n';
        ++impl_->uncaughtErrors;
        return false;
    }
    impl_->baseDirectory = directoryOf(path);
    JSValueRef exception = nullptr;
    if (script::isModuleSource(source)) {
        // A module page: what it imports is read as it goes; an error after its start is a
        // rejection, reported as such at the end of the task.
        if (!impl_->modules)
            impl_->modules = std::make_unique<script::ModuleLoader>(impl_->ctx);
        impl_->modules->run(source, path, &exception);
    } else {
        impl_->run(source, path, &exception);
    }
    if (exception)
        impl_->reportError(exception);
    return !exception;
}

ScriptContext::LoopEnd ScriptContext::runEventLoop(std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!impl_->exitRequested) {
        if (impl_->idleHook)
            impl_->idleHook();
        if (impl_->timers.empty())
            return LoopEnd::Idle;
        auto next = impl_->timers.begin();
        for (auto it = impl_->timers.begin(); it != impl_->timers.end(); ++it)
            if (it->second.due < next->second.due
                || (it->second.due == next->second.due && it->second.sequence < next->second.sequence))
                next = it;
        if (next->second.due > deadline)
            return LoopEnd::TimedOut;
        std::this_thread::sleep_until(next->second.due);
        impl_->fireTimer(next->first);
    }
    return LoopEnd::Exited;
}

bool ScriptContext::exitRequested() const
{
    return impl_->exitRequested;
}

int ScriptContext::exitCode() const
{
    return impl_->exitCode;
}

size_t ScriptContext::uncaughtErrors() const
{
    return impl_->uncaughtErrors;
}

} // namespace nphost
