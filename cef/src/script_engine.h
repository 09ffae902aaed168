#ifndef CEF_SRC_SCRIPT_ENGINE_H_
#define CEF_SRC_SCRIPT_ENGINE_H_

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include <JavaScriptCore/JavaScript.h>

#include "include/cef_v8.h"

namespace cef_stand_in {

class V8ContextImpl;
class V8ExceptionImpl;
class V8ValueImpl;

// The script engine of a render process: one JavaScriptCore context group (one heap), in which
// every frame context is a global context of its own. Values move freely between the contexts of
// the group.
//
// Native code keeps script values alive by protecting them from the collector. As in a browser,
// the promise jobs that script queued run when the outermost call into script returns: after a
// page script, after each message callback, never inside a native function.
class ScriptEngine : public std::enable_shared_from_this<ScriptEngine> {
 public:
  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // The engine of the render process running on this thread; null outside one.
  static std::shared_ptr<ScriptEngine> Current();
  static void SetCurrent(std::shared_ptr<ScriptEngine> engine);

  // Ends every context and destroys the heap. Values and contexts that outlive it become invalid.
  void Shutdown();
  bool alive() const { return group_ != nullptr; }
  JSContextGroupRef group() const { return group_; }
  // A context of the engine's own, for what belongs to no frame (protecting values, comparing).
  JSGlobalContextRef root() const { return root_; }

  void AddContext(V8ContextImpl* context) { contexts_alive_.insert(context); }
  void RemoveContext(V8ContextImpl* context) { contexts_alive_.erase(context); }

  void Protect(JSValueRef value);
  void Unprotect(JSValueRef value);

  // A script function in |context| that calls |handler| with |name|; it stops calling the
  // handler once that context is released.
  JSObjectRef MakeNativeFunction(V8ContextImpl* context, const CefString& name,
                                 CefRefPtr<CefV8Handler> handler);
  void DropNativeFunctionsOf(V8ContextImpl* context);
  // An empty object for an extension's native functions; calls through it get the global object
  // as receiver.
  JSObjectRef MakeExtensionHolder(JSContextRef ctx);
  // The handler and name behind a native function; false for other values.
  bool GetNativeFunction(JSValueRef value, CefString& name, CefRefPtr<CefV8Handler>& handler);

  // The stack of contexts: entered ones, and the contexts of native calls in progress.
  void PushContext(V8ContextImpl* context, bool entered);
  bool PopContext(V8ContextImpl* context, bool entered);
  CefRefPtr<V8ContextImpl> CurrentContext() const;
  CefRefPtr<V8ContextImpl> EnteredContext() const;

  // Wraps |value|; objects belong to |context|.
  CefRefPtr<V8ValueImpl> Wrap(JSContextRef ctx, JSValueRef value, V8ContextImpl* context);
  // The script value of |value|; undefined for an empty or invalid one.
  JSValueRef ValueOf(JSContextRef ctx, CefRefPtr<CefV8Value> value);
  // Describes the thrown |value| as the framework reports exceptions.
  CefRefPtr<V8ExceptionImpl> CaptureException(JSContextRef ctx, JSValueRef value);

  // Script sources by resource name, for the source line of exceptions.
  void RememberSource(const std::string& name, const std::string& source);

 private:
  struct NativeFunction {
    CefString name;
    CefRefPtr<CefV8Handler> handler;
    V8ContextImpl* context;
    JSObjectRef function;
  };
  struct ContextEntry {
    V8ContextImpl* context;
    bool entered;
  };

  static JSValueRef NativeTrampoline(JSContextRef ctx, JSObjectRef function, JSObjectRef receiver,
                                     size_t argc, const JSValueRef argv[], JSValueRef* exception);
  JSValueRef CallNative(JSContextRef ctx, int id, JSObjectRef receiver, size_t argc,
                        const JSValueRef argv[], JSValueRef* exception);
  std::string SourceLine(const std::string& name, int line) const;

  JSContextGroupRef group_;
  JSGlobalContextRef root_;
  JSClassRef holder_class_;
  int next_native_id_ = 1;
  std::map<int, NativeFunction> natives_;
  std::unordered_map<JSObjectRef, int> by_function_;
  std::vector<ContextEntry> contexts_;
  std::set<V8ContextImpl*> contexts_alive_;
  std::map<std::string, std::string> sources_;
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_SCRIPT_ENGINE_H_
