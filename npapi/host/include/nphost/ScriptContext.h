// A page's script environment (JavaScriptCore, today's script): the page script, plug-in objects bound
// into it, and what a page needs around them: console.log/console.error, setTimeout/clearTimeout,
// embed(), load(), and a `page` object with the runner's arguments (page.args), environment
// (page.env(name)) and page.exit(code).
//
// As in a browser, each task (the page script, an evaluate() call, one timer callback) runs the
// promise jobs it queued before the next task starts, and a promise rejected without a handler by
// then counts as an uncaught error.
#ifndef NPHOST_SCRIPTCONTEXT_H
#define NPHOST_SCRIPTCONTEXT_H

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <npapi/npruntime.h>

#include "nphost/ObjectRef.h"

namespace nphost {

class ScriptContext {
public:
    // embed(mimeType) in script: gives the page's plug-in object, or an empty reference with a
    // message in `error` when the plug-in refuses.
    using Embedder = std::function<ObjectRef(const std::string& mimeType, std::string& error)>;

    ScriptContext(std::ostream& out, std::ostream& err);
    // Releases every plug-in object script still held, then the engine.
    ~ScriptContext();
    ScriptContext(const ScriptContext&) = delete;
    ScriptContext& operator=(const ScriptContext&) = delete;

    void setEmbedder(Embedder embedder);
    void setPageArguments(const std::vector<std::string>& arguments);
    // Called on every turn of the event loop (for work the browser queued).
    void setIdleHook(std::function<void()> hook);
    void bindObject(const std::string& name, NPObject* object);

    // Runs code and describes its value: "undefined", "null", "true"/"false", "number:<n>",
    // "string:<text>", "symbol", "bigint:<n>", "object", "function"; or "error:<message>" when it
    // throws.
    std::string evaluate(const std::string& code);
    // Runs a page file; load() in it resolves paths against the file's folder. A file with import
    // or export statements runs as an ES module (script/ModuleLoader.h). False on an error
    // (reported on the error stream).
    bool runFile(const std::string& path);

    enum class LoopEnd { Idle, Exited, TimedOut };
    // Fires timers as they fall due until none is left, the page exits, or `limit` has passed.
    LoopEnd runEventLoop(std::chrono::milliseconds limit);

    bool exitRequested() const;
    int exitCode() const;
    // Errors that reached the top of the page script or of a timer callback.
    size_t uncaughtErrors() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace nphost

#endif
