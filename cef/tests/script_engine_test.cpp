#include <gtest/gtest.h>

#include "extension.h"
#include "include/cef_v8.h"
#include "script_engine.h"
#include "v8_context_impl.h"

namespace {

using cef_stand_in::ScriptEngine;
using cef_stand_in::V8ContextImpl;

// A handler that records its calls and answers as told.
class RecordingHandler : public CefV8Handler {
 public:
  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object,
               const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString& exception) override {
    calls.push_back(name.ToString());
    last_object_is_global = object->IsObject() && object->HasValue("marker");
    last_argument_count = arguments.size();
    if (!throw_text.empty()) exception = throw_text;
    else retval = CefV8Value::CreateInt(static_cast<int>(arguments.size()));
    return true;
  }
  std::vector<std::string> calls;
  std::string throw_text;
  bool last_object_is_global = false;
  size_t last_argument_count = 0;

  IMPLEMENT_REFCOUNTING(RecordingHandler);
};

// A native function that calls the script function it is given, as a handler calling back does.
class CallingHandler : public CefV8Handler {
 public:
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>&, CefString&) override {
    if (!arguments.empty()) arguments[0]->ExecuteFunction(NULL, CefV8ValueList());
    return true;
  }

  IMPLEMENT_REFCOUNTING(CallingHandler);
};

// One engine and one entered context, as during a handler call of the render process.
class ScriptEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_shared<ScriptEngine>();
    ScriptEngine::SetCurrent(engine_);
    context_ = new V8ContextImpl(engine_, NULL, NULL);
    ASSERT_TRUE(context_->Enter());
  }
  void TearDown() override {
    context_->Exit();
    context_ = NULL;
    engine_->Shutdown();
    ScriptEngine::SetCurrent(nullptr);
  }

  CefRefPtr<CefV8Value> Eval(const std::string& code) {
    CefRefPtr<CefV8Value> retval;
    CefRefPtr<CefV8Exception> exception;
    EXPECT_TRUE(context_->Eval(code, retval, exception))
        << code << ": " << (exception ? exception->GetMessage().ToString() : "");
    return retval;
  }

  std::shared_ptr<ScriptEngine> engine_;
  CefRefPtr<V8ContextImpl> context_;
};

TEST_F(ScriptEngineTest, NumbersAreIntegersWhenExactly32Bit) {
  const struct {
    const char* code;
    bool is_int, is_uint;
  } cases[] = {
      {"3", true, true},          {"-1", true, false},      {"2147483647", true, true},
      {"2147483648", false, true}, {"4294967295", false, true}, {"4294967296", false, false},
      {"2.5", false, false},       {"-0", false, false},     {"NaN", false, false},
      {"6.0", true, true},
  };
  for (const auto& c : cases) {
    CefRefPtr<CefV8Value> v = Eval(c.code);
    EXPECT_TRUE(v->IsDouble()) << c.code;
    EXPECT_EQ(c.is_int, v->IsInt()) << c.code;
    EXPECT_EQ(c.is_uint, v->IsUInt()) << c.code;
  }
  EXPECT_TRUE(CefV8Value::CreateUInt(4000000000u)->IsUInt());
  EXPECT_FALSE(CefV8Value::CreateUInt(4000000000u)->IsInt());
  EXPECT_TRUE(Eval("[1]")->IsArray());
  EXPECT_TRUE(Eval("[1]")->IsObject());
  EXPECT_FALSE(Eval("'s'")->IsObject());
  EXPECT_TRUE(Eval("(function f() {})")->IsFunction());
}

TEST_F(ScriptEngineTest, ScriptExceptionsAreReportedAsUncaught) {
  CefRefPtr<CefV8Value> retval;
  CefRefPtr<CefV8Exception> exception;
  EXPECT_FALSE(context_->Run("var x = 1;\nthrow new TypeError('bad');", "page.js", retval,
                             exception));
  ASSERT_TRUE(exception.get());
  EXPECT_EQ("Uncaught TypeError: bad", exception->GetMessage().ToString());
  EXPECT_EQ("page.js", exception->GetScriptResourceName().ToString());
  EXPECT_EQ(2, exception->GetLineNumber());
  EXPECT_EQ("throw new TypeError('bad');", exception->GetSourceLine().ToString());
  EXPECT_FALSE(context_->Eval("throw 'plain'", retval, exception));
  EXPECT_EQ("Uncaught plain", exception->GetMessage().ToString());
  EXPECT_FALSE(context_->Eval("var = ;", retval, exception));
  EXPECT_EQ(0u, exception->GetMessage().ToString().find("Uncaught SyntaxError"));
}

TEST_F(ScriptEngineTest, NativeFunctionsCallTheirHandler) {
  CefRefPtr<RecordingHandler> handler = new RecordingHandler;
  CefRefPtr<CefV8Value> global = context_->GetGlobal();
  global->SetValue("marker", CefV8Value::CreateBool(true), V8_PROPERTY_ATTRIBUTE_NONE);
  global->SetValue("f", CefV8Value::CreateFunction("native", handler.get()),
                   V8_PROPERTY_ATTRIBUTE_READONLY);
  EXPECT_EQ(3, Eval("f(1, 'a', [])")->GetIntValue());
  EXPECT_TRUE(handler->last_object_is_global);
  EXPECT_EQ(std::vector<std::string>{"native"}, handler->calls);
  EXPECT_TRUE(global->GetValue("f")->GetFunctionHandler().get() == handler.get());
  EXPECT_EQ("native", Eval("f.name")->GetStringValue().ToString());
  EXPECT_EQ("native", Eval("f.name = 'other'; f.name")->GetStringValue().ToString());
  EXPECT_EQ("", Eval("Object.keys(f).join()")->GetStringValue().ToString());
  EXPECT_EQ("function native() {\n    [native code]\n} 0 true",
            Eval("String(f) + ' ' + f.length + ' ' + (f instanceof Function)")
                ->GetStringValue()
                .ToString());

  handler->throw_text = "no way";
  EXPECT_EQ("Error|no way", Eval("try { f(); } catch (e) { e.name + '|' + e.message }")
                                ->GetStringValue()
                                .ToString());
  // Read-only: neither a script write nor a plain SetValue replaces it.
  Eval("f = 5;");
  EXPECT_FALSE(global->SetValue("f", CefV8Value::CreateInt(5), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_TRUE(global->GetValue("f")->IsFunction());
  // Attributes redefine a property that is there already.
  EXPECT_TRUE(global->SetValue("marker", CefV8Value::CreateInt(2), V8_PROPERTY_ATTRIBUTE_DONTENUM));
  EXPECT_EQ("2 false", Eval("marker + ' ' + Object.keys(globalThis).includes('marker')")
                           ->GetStringValue()
                           .ToString());
}

TEST_F(ScriptEngineTest, ThrowingPropertyAccessBecomesTheValuesException) {
  CefRefPtr<CefV8Value> object =
      Eval("({get bad() { throw new Error('getter'); }, good: 1})");
  EXPECT_FALSE(object->GetValue("bad").get());
  ASSERT_TRUE(object->HasException());
  EXPECT_EQ("Uncaught Error: getter", object->GetException()->GetMessage().ToString());
  object->ClearException();
  EXPECT_EQ(1, object->GetValue("good")->GetIntValue());

  CefRefPtr<CefV8Value> thrower = Eval("(function() { throw 1; })");
  EXPECT_FALSE(thrower->ExecuteFunction(NULL, CefV8ValueList()).get());
  EXPECT_TRUE(thrower->HasException());
}

TEST_F(ScriptEngineTest, FunctionCalledWithoutAReceiverRunsOnTheGlobalObject) {
  Eval("var marker = 'global';"
       "function strictProbe() { 'use strict'; return this === undefined ? 'undefined' : this.marker; }"
       "function sloppyProbe() { return this.marker; }");
  CefRefPtr<CefV8Value> global = context_->GetGlobal();
  for (const char* probe : {"strictProbe", "sloppyProbe"}) {
    CefRefPtr<CefV8Value> result = global->GetValue(probe)->ExecuteFunction(NULL, CefV8ValueList());
    ASSERT_TRUE(result.get()) << probe;
    EXPECT_EQ("global", result->GetStringValue().ToString()) << probe;
  }
  // A receiver that is given is the one used.
  CefRefPtr<CefV8Value> own = Eval("({marker: 'own'})");
  CefRefPtr<CefV8Value> result = global->GetValue("strictProbe")->ExecuteFunction(own, CefV8ValueList());
  ASSERT_TRUE(result.get());
  EXPECT_EQ("own", result->GetStringValue().ToString());
}

TEST_F(ScriptEngineTest, ContextsHaveTheirOwnGlobalsAndObjectsDieWithThem) {
  CefRefPtr<V8ContextImpl> other = new V8ContextImpl(engine_, NULL, NULL);
  Eval("var shared = 'first';");
  CefRefPtr<CefV8Value> retval;
  CefRefPtr<CefV8Exception> exception;
  ASSERT_TRUE(other->Eval("typeof shared", retval, exception));
  EXPECT_EQ("undefined", retval->GetStringValue().ToString());

  ASSERT_TRUE(other->Eval("[1, 2]", retval, exception));
  CefRefPtr<CefV8Value> array = retval;
  EXPECT_EQ(2, array->GetArrayLength());
  other->Invalidate();
  EXPECT_FALSE(other->IsValid());
  EXPECT_FALSE(array->IsValid());
  EXPECT_FALSE(array->GetValue(0).get());
  EXPECT_FALSE(other->Enter());
}

TEST_F(ScriptEngineTest, ExtensionNativeDeclarationsBindToTheHandler) {
  cef_stand_in::Extension extension = cef_stand_in::MakeExtension(
      "v8/test",
      "var ext;if (!ext) ext = {};(function() {\n"
      "  ext.call = function(a, b) { native function callMe(); return callMe(a, b); };\n"
      "  ext.other = function() {native  function  second ( ) ;return second(); };\n"
      "})();",
      new RecordingHandler);
  EXPECT_EQ((std::vector<std::string>{"callMe", "second"}), extension.natives);
  EXPECT_EQ(std::string::npos, extension.code.find("native"));

  std::string error;
  ASSERT_TRUE(cef_stand_in::InstallExtension(context_.get(), extension, error)) << error;
  EXPECT_EQ(2, Eval("ext.call(1, 2)")->GetIntValue());
  EXPECT_EQ(0, Eval("ext.other()")->GetIntValue());
  // Only the extension's own object is global: the natives and their holder are not.
  EXPECT_EQ("undefined undefined undefined",
            Eval("typeof callMe + ' ' + typeof second + ' ' + typeof __extensionNatives")
                ->GetStringValue()
                .ToString());
  auto* handler = static_cast<RecordingHandler*>(extension.handler.get());
  EXPECT_EQ((std::vector<std::string>{"callMe", "second"}), handler->calls);

  // Once the context is released, its functions are gone with it.
  CefRefPtr<CefV8Value> call = Eval("ext.call");
  context_->Invalidate();
  EXPECT_FALSE(call->IsValid());
  EXPECT_FALSE(call->ExecuteFunction(NULL, CefV8ValueList()).get());
}

// As in a browser, promise jobs run once the outermost call into script returns: after a script,
// after a function called from outside, but not while a native function calls back into script.
TEST_F(ScriptEngineTest, PromiseJobsRunWhenTheOutermostCallReturns) {
  context_->GetGlobal()->SetValue("callBack", CefV8Value::CreateFunction("callBack", new CallingHandler),
                                  V8_PROPERTY_ATTRIBUTE_NONE);
  EXPECT_EQ("callback,after native",
            Eval("var log = [];"
                 "callBack(() => { Promise.resolve().then(() => log.push('job')); log.push('callback'); });"
                 "log.push('after native'); log.join()")
                ->GetStringValue()
                .ToString());
  EXPECT_EQ("callback,after native,job", Eval("log.join()")->GetStringValue().ToString());

  CefRefPtr<CefV8Value> later =
      Eval("(async function () { await null; log.push('awaited'); })");
  CefRefPtr<CefV8Value> promise = later->ExecuteFunction(NULL, CefV8ValueList());
  ASSERT_TRUE(promise.get());
  EXPECT_EQ("callback,after native,job,awaited", Eval("log.join()")->GetStringValue().ToString());
}

}  // namespace
