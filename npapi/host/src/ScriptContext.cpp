#include "nphost/ScriptContext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>

#include <duktape.h>

#include "ObjectBinding.h"
#include "TextEncoding.h"

namespace nphost {

namespace {

const char TIMERS_KEY[] = DUK_HIDDEN_SYMBOL("timers");
using Clock = std::chrono::steady_clock;

[[noreturn]] void fatalScriptError(void*, const char* message)
{
    std::fprintf(stderr, "script engine failure: %s\n", message ? message : "(no message)");
    std::abort();
}

bool readFile(const std::string& path, std::string& content)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    content = buffer.str();
    return true;
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// Compiles and runs `source`; leaves the completion value, or the error, on top of the stack.
bool runSource(duk_context* ctx, const std::string& source, const std::string& fileName, duk_uint_t flags)
{
    duk_push_lstring(ctx, fileName.data(), fileName.size());
    if (duk_pcompile_lstring_filename(ctx, flags, source.data(), source.size()) != 0)
        return false;
    return duk_pcall(ctx, 0) == DUK_EXEC_SUCCESS;
}

std::string scriptString(duk_context* ctx, duk_idx_t index)
{
    duk_size_t length = 0;
    const char* text = duk_safe_to_lstring(ctx, index, &length);
    return scriptTextToUtf8(text, length);
}

} // namespace

struct ScriptContext::Impl {
    struct Timer {
        Clock::time_point due;
        uint64_t sequence;
    };

    Impl(std::ostream& out, std::ostream& err);
    ~Impl() { duk_destroy_heap(ctx); }

    static Impl& of(duk_context* ctx);
    void installGlobals();
    void reportError();
    void fireTimer(int id);
    bool pushEmbedded(const std::string& mimeType);
    bool load(const std::string& path);

    static duk_ret_t consoleWrite(duk_context* ctx);
    static duk_ret_t setTimeout(duk_context* ctx);
    static duk_ret_t clearTimeout(duk_context* ctx);
    static duk_ret_t embed(duk_context* ctx);
    static duk_ret_t loadScript(duk_context* ctx);
    static duk_ret_t pageEnv(duk_context* ctx);
    static duk_ret_t pageExit(duk_context* ctx);

    std::ostream& out;
    std::ostream& err;
    duk_context* ctx;
    std::unique_ptr<ObjectBinding> binding;
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

ScriptContext::Impl::Impl(std::ostream& out, std::ostream& err)
    : out(out), err(err), ctx(duk_create_heap(nullptr, nullptr, nullptr, this, fatalScriptError))
{
    if (!ctx)
        fatalScriptError(nullptr, "cannot create the script heap");
    binding = std::make_unique<ObjectBinding>(ctx);
    installGlobals();
}

ScriptContext::Impl& ScriptContext::Impl::of(duk_context* ctx)
{
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<Impl*>(functions.udata);
}

void ScriptContext::Impl::installGlobals()
{
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    duk_put_prop_string(ctx, -2, TIMERS_KEY);
    duk_pop(ctx);

    duk_push_object(ctx);
    duk_push_c_function(ctx, consoleWrite, DUK_VARARGS);
    duk_set_magic(ctx, -1, 0);
    duk_put_prop_string(ctx, -2, "log");
    duk_push_c_function(ctx, consoleWrite, DUK_VARARGS);
    duk_set_magic(ctx, -1, 1);
    duk_put_prop_string(ctx, -2, "error");
    duk_put_global_string(ctx, "console");

    duk_push_c_function(ctx, setTimeout, DUK_VARARGS);
    duk_put_global_string(ctx, "setTimeout");
    duk_push_c_function(ctx, clearTimeout, 1);
    duk_put_global_string(ctx, "clearTimeout");
    duk_push_c_function(ctx, embed, 1);
    duk_put_global_string(ctx, "embed");
    duk_push_c_function(ctx, loadScript, 1);
    duk_put_global_string(ctx, "load");

    duk_push_object(ctx);
    duk_push_array(ctx);
    duk_put_prop_string(ctx, -2, "args");
    duk_push_c_function(ctx, pageEnv, 1);
    duk_put_prop_string(ctx, -2, "env");
    duk_push_c_function(ctx, pageExit, 1);
    duk_put_prop_string(ctx, -2, "exit");
    duk_put_global_string(ctx, "page");
}

void ScriptContext::Impl::reportError()
{
    ++uncaughtErrors;
    err << "error: " << duk_safe_to_stacktrace(ctx, -1) << '\n';
}

duk_ret_t ScriptContext::Impl::consoleWrite(duk_context* ctx)
{
    Impl& impl = of(ctx);
    std::ostream& stream = duk_get_current_magic(ctx) ? impl.err : impl.out;
    const duk_idx_t count = duk_get_top(ctx);
    std::string line;
    for (duk_idx_t i = 0; i < count; ++i) {
        if (i)
            line += ' ';
        line += scriptString(ctx, i);
    }
    stream << line << '\n';
    stream.flush();
    return 0;
}

duk_ret_t ScriptContext::Impl::setTimeout(duk_context* ctx)
{
    if (!duk_is_callable(ctx, 0))
        return duk_type_error(ctx, "setTimeout needs a function");
    Impl& impl = of(ctx);
    double delay = duk_get_number_default(ctx, 1, 0);
    if (!(delay > 0))
        delay = 0;
    delay = std::min(delay, 2147483647.0);
    const int id = impl.nextTimerId++;
    const auto due = Clock::now() + std::chrono::microseconds(static_cast<int64_t>(delay * 1000));
    impl.timers[id] = Timer{due, impl.nextSequence++};

    // The callback and its extra arguments wait in the stash: [function, arg...].
    const duk_idx_t top = duk_get_top(ctx);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, TIMERS_KEY);
    duk_push_array(ctx);
    duk_dup(ctx, 0);
    duk_put_prop_index(ctx, -2, 0);
    for (duk_idx_t i = 2; i < top; ++i) {
        duk_dup(ctx, i);
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i - 1));
    }
    duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
    duk_pop_2(ctx);
    duk_push_int(ctx, id);
    return 1;
}

duk_ret_t ScriptContext::Impl::clearTimeout(duk_context* ctx)
{
    Impl& impl = of(ctx);
    const int id = duk_get_int_default(ctx, 0, 0);
    if (impl.timers.erase(id)) {
        duk_push_global_stash(ctx);
        duk_get_prop_string(ctx, -1, TIMERS_KEY);
        duk_del_prop_index(ctx, -1, static_cast<duk_uarridx_t>(id));
        duk_pop_2(ctx);
    }
    return 0;
}

void ScriptContext::Impl::fireTimer(int id)
{
    timers.erase(id);
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, TIMERS_KEY);
    duk_get_prop_index(ctx, -1, static_cast<duk_uarridx_t>(id));
    duk_del_prop_index(ctx, -2, static_cast<duk_uarridx_t>(id));
    if (!duk_is_array(ctx, -1)) {
        duk_pop_3(ctx);
        return;
    }
    const auto length = static_cast<duk_idx_t>(duk_get_length(ctx, -1));
    if (length < 1) {
        duk_pop_3(ctx);
        return;
    }
    for (duk_idx_t i = 0; i < length; ++i)
        duk_get_prop_index(ctx, -1 - i, static_cast<duk_uarridx_t>(i));
    if (duk_pcall(ctx, length - 1) != DUK_EXEC_SUCCESS)
        reportError();
    duk_pop_n(ctx, 4);
}

bool ScriptContext::Impl::pushEmbedded(const std::string& mimeType)
{
    std::string error = "embed() is not available on this page";
    ObjectRef object;
    if (embedder) {
        try {
            object = embedder(mimeType, error);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    }
    if (!object) {
        duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", error.c_str());
        return false;
    }
    binding->push(object.get());
    return true;
}

duk_ret_t ScriptContext::Impl::embed(duk_context* ctx)
{
    const char* mimeType = duk_is_string(ctx, 0) ? duk_get_string(ctx, 0) : "";
    if (!of(ctx).pushEmbedded(mimeType))
        return duk_throw(ctx);
    return 1;
}

bool ScriptContext::Impl::load(const std::string& path)
{
    const std::string fullPath = !path.empty() && path[0] == '/' ? path : baseDirectory + "/" + path;
    std::string source;
    if (!readFile(fullPath, source)) {
        duk_push_error_object(ctx, DUK_ERR_ERROR, "cannot read %s", fullPath.c_str());
        return false;
    }
    return runSource(ctx, source, fullPath, 0);
}

duk_ret_t ScriptContext::Impl::loadScript(duk_context* ctx)
{
    const char* path = duk_is_string(ctx, 0) ? duk_get_string(ctx, 0) : "";
    if (!of(ctx).load(path))
        return duk_throw(ctx);
    return 1;
}

duk_ret_t ScriptContext::Impl::pageEnv(duk_context* ctx)
{
    const char* value = duk_is_string(ctx, 0) ? std::getenv(duk_get_string(ctx, 0)) : nullptr;
    if (value)
        duk_push_string(ctx, value);
    else
        duk_push_undefined(ctx);
    return 1;
}

duk_ret_t ScriptContext::Impl::pageExit(duk_context* ctx)
{
    Impl& impl = of(ctx);
    impl.exitRequested = true;
    impl.exitCode = duk_get_int_default(ctx, 0, 0);
    return 0;
}

ScriptContext::ScriptContext(std::ostream& out, std::ostream& err) : impl_(std::make_unique<Impl>(out, err)) {}

ScriptContext::~ScriptContext() = default;

void ScriptContext::setEmbedder(Embedder embedder)
{
    impl_->embedder = std::move(embedder);
}

void ScriptContext::setPageArguments(const std::vector<std::string>& arguments)
{
    duk_context* ctx = impl_->ctx;
    duk_get_global_string(ctx, "page");
    duk_push_array(ctx);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string text = utf8ToScriptText(arguments[i].data(), arguments[i].size());
        duk_push_lstring(ctx, text.data(), text.size());
        duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(i));
    }
    duk_put_prop_string(ctx, -2, "args");
    duk_pop(ctx);
}

void ScriptContext::setIdleHook(std::function<void()> hook)
{
    impl_->idleHook = std::move(hook);
}

void ScriptContext::bindObject(const std::string& name, NPObject* object)
{
    impl_->binding->push(object);
    duk_put_global_lstring(impl_->ctx, name.data(), name.size());
}

std::string ScriptContext::evaluate(const std::string& code)
{
    duk_context* ctx = impl_->ctx;
    std::string description;
    if (!runSource(ctx, code, "eval", DUK_COMPILE_EVAL)) {
        description = "error:" + scriptString(ctx, -1);
    } else {
        switch (duk_get_type(ctx, -1)) {
        case DUK_TYPE_UNDEFINED: description = "undefined"; break;
        case DUK_TYPE_NULL: description = "null"; break;
        case DUK_TYPE_BOOLEAN: description = duk_get_boolean(ctx, -1) ? "true" : "false"; break;
        case DUK_TYPE_NUMBER: description = "number:" + scriptString(ctx, -1); break;
        case DUK_TYPE_STRING: description = "string:" + scriptString(ctx, -1); break;
        default: description = duk_is_function(ctx, -1) ? "function" : "object"; break;
        }
    }
    duk_pop(ctx);
    return description;
}

bool ScriptContext::runFile(const std::string& path)
{
    duk_context* ctx = impl_->ctx;
    std::string source;
    if (!readFile(path, source)) {
        impl_->err << "error: cannot read " << path << '\n';
        ++impl_->uncaughtErrors;
        return false;
    }
    impl_->baseDirectory = directoryOf(path);
    const bool ran = runSource(ctx, source, path, 0);
    if (!ran)
        impl_->reportError();
    duk_pop(ctx);
    return ran;
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
