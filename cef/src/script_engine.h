#ifndef CEF_SRC_SCRIPT_ENGINE_H_
#define CEF_SRC_SCRIPT_ENGINE_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <duktape.h>

#include "include/cef_v8.h"

namespace cef_stand_in {

class V8ContextImpl;
class V8ExceptionImpl;
class V8ValueImpl;

// The script engine of a render process: one Duktape heap, in which every frame context is a
// thread with its own global environment.
//
// Native code keeps script values alive through references in the heap stash. Script errors
// never unwind through C++ frames: every engine call that may run script or throw goes through a
// protected call.
class ScriptEngine : public std::enable_shared_from_this<ScriptEngine> {
 public:
  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // The engine of the render process running on this thread; null outside one.
  static std::shared_ptr<ScriptEngine> Current();
  static void SetCurrent(std::shared_ptr<ScriptEngine> engine);

  // Destroys the heap. Values and contexts that outlive it become invalid.
  void Shutdown();
  bool alive() const { return heap_ != nullptr; }
  duk_context* heap() const { return heap_; }

  // Stash references.
  int Retain(duk_context* ctx, duk_idx_t index);
  void PushRef(duk_context* ctx, int ref);
  void Drop(int ref);

  // Pushes a script function that calls |handler| with |name|. It belongs to |context| and stops
  // calling the handler once that context is released.
  void PushNativeFunction(duk_context* ctx, const CefString& name, CefRefPtr<CefV8Handler> handler,
                          V8ContextImpl* context);
  void DropNativeFunctionsOf(V8ContextImpl* context);
  // Pushes an empty object for an extension's native functions; calls through it get the global
  // object as receiver.
  void PushExtensionHolder(duk_context* ctx);
  // The handler and name behind a native function at |index|; false for other values.
  bool GetNativeFunction(duk_context* ctx, duk_idx_t index, CefString& name,
                         CefRefPtr<CefV8Handler>& handler);

  // The stack of contexts: entered ones, and the contexts of native calls in progress.
  void PushContext(V8ContextImpl* context, bool entered);
  bool PopContext(V8ContextImpl* context, bool entered);
  CefRefPtr<V8ContextImpl> CurrentContext() const;
  CefRefPtr<V8ContextImpl> EnteredContext() const;

  // The thread to run script on: the one already running (calls nest in it), else |context|'s.
  duk_context* ThreadFor(V8ContextImpl* context) const;
  void EnterThread(duk_context* ctx) { running_.push_back(ctx); }
  void LeaveThread() { running_.pop_back(); }

  // Wraps the value at |index|; objects belong to |context|.
  CefRefPtr<V8ValueImpl> Wrap(duk_context* ctx, duk_idx_t index, V8ContextImpl* context);
  // Pushes |value|; undefined for an empty or invalid one.
  void Push(duk_context* ctx, CefRefPtr<CefV8Value> value);
  // Describes the thrown value at |index| as the framework reports exceptions.
  CefRefPtr<V8ExceptionImpl> CaptureException(duk_context* ctx, duk_idx_t index);

  // Script sources by resource name, for the source line of exceptions.
  void RememberSource(const std::string& name, const std::string& source);

 private:
  struct NativeFunction {
    CefString name;
    CefRefPtr<CefV8Handler> handler;
    V8ContextImpl* context;
  };
  struct ContextEntry {
    V8ContextImpl* context;
    bool entered;
  };

  static duk_ret_t NativeTrampoline(duk_context* ctx);
  // Runs the handler of the native function being called, with its |argc| arguments and then the
  // receiver on the stack. Returns how many results it pushed, or -1 when it pushed an error to
  // throw.
  int CallNative(duk_context* ctx, duk_idx_t argc);
  std::string SourceLine(const std::string& name, int line) const;

  duk_context* heap_;
  int next_ref_ = 1;
  std::vector<int> free_refs_;
  int next_native_id_ = 1;
  std::map<int, NativeFunction> natives_;
  std::vector<ContextEntry> contexts_;
  std::vector<duk_context*> running_;
  std::map<std::string, std::string> sources_;
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_SCRIPT_ENGINE_H_
