#ifndef CEF_INCLUDE_CEF_V8_H_
#define CEF_INCLUDE_CEF_V8_H_

#include <vector>

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"

class CefV8Exception;
class CefV8Handler;
class CefV8StackFrame;
class CefV8Value;

// Registers a script extension: |javascript_code| runs in every script context created from now
// on. Inside it, a declaration "native function NAME();" binds NAME to a function that calls
// |handler| with that name. Call from CefRenderProcessHandler::OnWebKitInitialized.
bool CefRegisterExtension(const CefString& extension_name, const CefString& javascript_code,
                          CefRefPtr<CefV8Handler> handler);

// A script context: the global environment of one frame's current document.
// All operations must be called on the render thread.
class CefV8Context : public virtual CefBase {
 public:
  // The context of the script that is running, else the most recently entered one; empty when
  // none.
  static CefRefPtr<CefV8Context> GetCurrentContext();
  // The most recently entered context; empty when none.
  static CefRefPtr<CefV8Context> GetEnteredContext();
  static bool InContext();

  // False once the context was released.
  virtual bool IsValid() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  virtual CefRefPtr<CefFrame> GetFrame() = 0;
  virtual CefRefPtr<CefV8Value> GetGlobal() = 0;
  // Makes this the entered context until the matching Exit.
  virtual bool Enter() = 0;
  virtual bool Exit() = 0;
  virtual bool IsSame(CefRefPtr<CefV8Context> that) = 0;
  // Runs |code| in this context: true with the result in |retval|, or false with |exception|.
  virtual bool Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
                    CefRefPtr<CefV8Exception>& exception) = 0;
};

typedef std::vector<CefRefPtr<CefV8Value> > CefV8ValueList;

// Native code behind script functions.
class CefV8Handler : public virtual CefBase {
 public:
  // Runs the function |name|. Returns true when handled: |retval| then becomes the result
  // (undefined when left empty), unless |exception| is set, which throws an Error with that message
  // in the calling script.
  virtual bool Execute(const CefString& name, CefRefPtr<CefV8Value> object,
                       const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
                       CefString& exception) = 0;
};

// Property accessors for objects made by CefV8Value::CreateObject.
class CefV8Accessor : public virtual CefBase {
 public:
  virtual bool Get(const CefString& name, const CefRefPtr<CefV8Value> object,
                   CefRefPtr<CefV8Value>& retval, CefString& exception) = 0;
  virtual bool Set(const CefString& name, const CefRefPtr<CefV8Value> object,
                   const CefRefPtr<CefV8Value> value, CefString& exception) = 0;
};

// A script exception, as reported to native code.
class CefV8Exception : public virtual CefBase {
 public:
  // "Uncaught " followed by the thrown value as text, e.g. "Uncaught Error: message".
  virtual CefString GetMessage() = 0;
  virtual CefString GetSourceLine() = 0;
  virtual CefString GetScriptResourceName() = 0;
  // 1-based; 0 when unknown.
  virtual int GetLineNumber() = 0;
};

// The script call stack at the point where an exception was thrown, innermost frame first.
class CefV8StackTrace : public virtual CefBase {
 public:
  virtual bool IsValid() = 0;
  virtual int GetFrameCount() = 0;
  virtual CefRefPtr<CefV8StackFrame> GetFrame(int index) = 0;
};

class CefV8StackFrame : public virtual CefBase {
 public:
  virtual bool IsValid() = 0;
  virtual CefString GetScriptName() = 0;
  virtual CefString GetFunctionName() = 0;
  virtual int GetLineNumber() = 0;
};

// A script value. Primitive values can be made anywhere on the render thread; objects, arrays and
// functions only inside a context (entered, or inside a handler call). Object values become
// invalid when their context is released.
class CefV8Value : public virtual CefBase {
 public:
  typedef cef_v8_propertyattribute_t PropertyAttribute;

  static CefRefPtr<CefV8Value> CreateUndefined();
  static CefRefPtr<CefV8Value> CreateNull();
  static CefRefPtr<CefV8Value> CreateBool(bool value);
  static CefRefPtr<CefV8Value> CreateInt(int32 value);
  static CefRefPtr<CefV8Value> CreateUInt(uint32 value);
  static CefRefPtr<CefV8Value> CreateDouble(double value);
  static CefRefPtr<CefV8Value> CreateString(const CefString& value);
  // A plain object. Accessors are not supported: |accessor| must be empty.
  static CefRefPtr<CefV8Value> CreateObject(CefRefPtr<CefV8Accessor> accessor);
  static CefRefPtr<CefV8Value> CreateArray(int length);
  static CefRefPtr<CefV8Value> CreateFunction(const CefString& name,
                                              CefRefPtr<CefV8Handler> handler);

  virtual bool IsValid() = 0;
  virtual bool IsUndefined() = 0;
  virtual bool IsNull() = 0;
  virtual bool IsBool() = 0;
  // True for a number that is exactly a signed 32-bit value.
  virtual bool IsInt() = 0;
  // True for a number that is exactly an unsigned 32-bit value.
  virtual bool IsUInt() = 0;
  // True for every number.
  virtual bool IsDouble() = 0;
  virtual bool IsString() = 0;
  // True for every object, arrays and functions included.
  virtual bool IsObject() = 0;
  virtual bool IsArray() = 0;
  virtual bool IsFunction() = 0;
  virtual bool IsSame(CefRefPtr<CefV8Value> that) = 0;

  virtual bool GetBoolValue() = 0;
  virtual int32 GetIntValue() = 0;
  virtual uint32 GetUIntValue() = 0;
  virtual double GetDoubleValue() = 0;
  virtual CefString GetStringValue() = 0;

  // The exception of the last failed operation on this value.
  virtual bool HasException() = 0;
  virtual CefRefPtr<CefV8Exception> GetException() = 0;
  virtual bool ClearException() = 0;

  virtual bool HasValue(const CefString& key) = 0;
  virtual bool HasValue(int index) = 0;
  // Empty when the read threw (see GetException).
  virtual CefRefPtr<CefV8Value> GetValue(const CefString& key) = 0;
  virtual CefRefPtr<CefV8Value> GetValue(int index) = 0;
  virtual bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                        PropertyAttribute attribute) = 0;
  virtual bool SetValue(int index, CefRefPtr<CefV8Value> value) = 0;

  virtual int GetArrayLength() = 0;

  virtual CefString GetFunctionName() = 0;
  virtual CefRefPtr<CefV8Handler> GetFunctionHandler() = 0;
  // Calls the function in the current context with |object| as receiver (the global object when
  // empty). Returns the result, or empty when the function threw (see GetException).
  virtual CefRefPtr<CefV8Value> ExecuteFunction(CefRefPtr<CefV8Value> object,
                                                const CefV8ValueList& arguments) = 0;
  virtual CefRefPtr<CefV8Value> ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                           CefRefPtr<CefV8Value> object,
                                                           const CefV8ValueList& arguments) = 0;
};

#endif  // CEF_INCLUDE_CEF_V8_H_
