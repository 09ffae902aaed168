#include "bridge_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// What page script sends, and the list the browser process receives.
struct SendCase {
  const char* script;
  const char* received;
};

TEST_F(BridgeTest, SendMessageConvertsScriptValuesToListValues) {
  const SendCase cases[] = {
      {"app.sendMessage('m', [1, 2.5, 'text', true, null, [3]])",
       "1: m [1, 2.5, \"text\", true, null, [3]]"},
      {"app.sendMessage('m')", "1: m []"},
      {"app.sendMessage('m', 'not an array')", "1: m []"},
      {"app.sendMessage('m', [])", "1: m []"},
      // Integers are the numbers that are exact 32-bit signed values; -0 is not one.
      {"app.sendMessage('m', [2147483647, -2147483648, 2147483648, -0, 3.0, 1e300])",
       "1: m [2147483647, -2147483648, 2147483648.0, -0.0, 3, 1.0000000000000001e+300]"},
      // Objects, functions, dates and undefined are not carried.
      {"app.sendMessage('m', [{a: 1}, function() {}, new Date(0), undefined, [[]]])",
       "1: m [null, null, null, null, [[]]]"},
      {"app.sendMessage('m', ['\\u00e9\\ud83d\\ude00'])", "1: m [\"\xc3\xa9\xf0\x9f\x98\x80\"]"},
      // An element whose getter throws is left null; the rest goes out.
      {"var a = [1, 2]; Object.defineProperty(a, 0, {get: function() { throw 1; }});"
       "app.sendMessage('m', a)",
       "1: m [null, 2]"},
  };
  for (const SendCase& c : cases) {
    Load(c.script);
    EXPECT_THAT(Received(), ElementsAre(c.received)) << c.script;
  }
}

TEST_F(BridgeTest, WrongArgumentShapesThrowAndSendNothing) {
  const char* scripts[] = {
      "app.sendMessage()",
      "app.sendMessage('')",
      "app.sendMessage(5, [1])",
      "app.setMessageCallback('m')",
      "app.setMessageCallback('m', 'not a function')",
      "app.setMessageCallback(1, function() {})",
      "app.removeMessageCallback()",
      "app.removeMessageCallback(1)",
  };
  for (const char* script : scripts) {
    shell::Result result = host_->Load(1, script, "test.js");
    EXPECT_FALSE(result.ok) << script;
    EXPECT_EQ("Uncaught Error: Invalid method arguments", result.text) << script;
  }
  EXPECT_THAT(Received(), IsEmpty());
  // The page sees an ordinary Error with the message.
  Load("try { app.sendMessage(''); } catch (e) {"
       "  app.sendMessage('caught', [e instanceof Error, e.message]); }");
  EXPECT_THAT(Received(), ElementsAre("1: caught [true, \"Invalid method arguments\"]"));
}

TEST_F(BridgeTest, AppFunctionsPassOnlyTheirDeclaredParameters) {
  // The app wrappers hand the native side their named parameters alone: extra arguments never
  // reach it.
  Load("app.sendMessage('m', [1], 'three');"
       "app.sendMessage('removed', [app.removeMessageCallback('m', 'two')]);");
  EXPECT_THAT(Received(), ElementsAre("1: m [1]", "1: removed [false]"));
}

TEST_F(BridgeTest, ArraysThatNeverEndAreRefused) {
  const char* scripts[] = {
      "var a = [1]; a.push(a); app.sendMessage('m', a)",
      "var a = [1]; for (var i = 0; i < 200; i++) a = [a]; app.sendMessage('m', a)",
      "var a = [1, 2]; for (var i = 0; i < 40; i++) a = [a, a]; app.sendMessage('m', a)",
      "var a = []; a.length = 4294967295; app.sendMessage('m', a)",
  };
  for (const char* script : scripts) {
    shell::Result result = host_->Load(1, script, "test.js");
    EXPECT_EQ("Uncaught Error: Invalid method arguments", result.text) << script;
  }
  EXPECT_THAT(Received(), IsEmpty());
  // Nesting within the limit still goes out whole.
  Load("var a = [1]; for (var i = 0; i < 98; i++) a = [a]; app.sendMessage('m', a)");
  std::vector<std::string> received = Received();
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ(std::string(99, '[') + "1" + std::string(99, ']'), received[0].substr(5));
}

TEST_F(BridgeTest, CallbackReceivesTheNameAndTheArgumentsAsAnArray) {
  Load("var answer;"
       "app.setMessageCallback('ask', function(name, args) {"
       "  app.sendMessage('seen', [name, args]); return answer; });");
  EXPECT_FALSE(Send("ask", "[[1, 2], true]"));
  EXPECT_THAT(Received(), ElementsAre("1: seen [\"ask\", [[1, 2], true]]"));
  EXPECT_FALSE(Send("ask"));
  EXPECT_THAT(Received(), ElementsAre("1: seen [\"ask\", []]"));
  EXPECT_FALSE(Send("ask", "[2.5, \"s\", null, false]"));
  EXPECT_THAT(Received(), ElementsAre("1: seen [\"ask\", [2.5, \"s\", null, false]]"));
}

TEST_F(BridgeTest, OnlyTheBooleanTrueHandlesAMessage) {
  Load("app.setMessageCallback('answer', function(name, args) { return eval(args[0]); });");
  const struct {
    const char* answer;
    bool handled;
  } answers[] = {{"true", true},       {"1", false},     {"'true'", false},
                 {"undefined", false}, {"false", false}, {"new Boolean(true)", false}};
  for (const auto& a : answers) {
    EXPECT_EQ(a.handled, Send("answer", std::string("[\"") + a.answer + "\"]")) << a.answer;
  }
}

TEST_F(BridgeTest, UnknownMessagesAndThrowingCallbacksAreNotHandled) {
  EXPECT_FALSE(Send("nobody", "[1]"));
  Load("app.setMessageCallback('boom', function() { throw new Error('x'); });");
  EXPECT_FALSE(Send("boom"));
  EXPECT_FALSE(Send("other"));
  EXPECT_THAT(Received(), IsEmpty());
}

TEST_F(BridgeTest, FirstRegistrationWinsAndRemovalReportsWhetherOneWasThere) {
  Load("app.setMessageCallback('m', function() { app.sendMessage('f'); return true; });"
       "app.setMessageCallback('m', function() { app.sendMessage('g'); return true; });");
  EXPECT_TRUE(Send("m"));
  EXPECT_THAT(Received(), ElementsAre("1: f []"));
  // The page itself asks for removal in its own context through a message it handles.
  Load("app.setMessageCallback('remove', function() {"
       "  app.sendMessage('removed', [app.removeMessageCallback('m'),"
       "                              app.removeMessageCallback('m')]);"
       "  return true; });",
       1, "child");
  EXPECT_TRUE(Send("remove"));
  EXPECT_THAT(Received(), ElementsAre("1: removed [true, false]"));
  EXPECT_FALSE(Send("m"));
  EXPECT_THAT(Received(), IsEmpty());
}

TEST_F(BridgeTest, CallbackMayRemoveItselfWhileRunning) {
  Load("app.setMessageCallback('once', function() {"
       "  app.sendMessage('ran', [app.removeMessageCallback('once')]); return true; });");
  EXPECT_TRUE(Send("once"));
  EXPECT_FALSE(Send("once"));
  EXPECT_THAT(Received(), ElementsAre("1: ran [true]"));
}

TEST_F(BridgeTest, CallbacksBelongToTheirBrowser) {
  ASSERT_TRUE(host_->CreateBrowser(2).ok);
  Load("app.setMessageCallback('m', function(n, a) { app.sendMessage('one', a); return true; });");
  EXPECT_FALSE(Send("m", "[1]", 2));
  EXPECT_THAT(Received(), IsEmpty());
  Load("app.setMessageCallback('m', function(n, a) { app.sendMessage('two', a); return true; });",
       2);
  EXPECT_TRUE(Send("m", "[2]", 2));
  EXPECT_TRUE(Send("m", "[1]", 1));
  EXPECT_THAT(Received(), ElementsAre("2: two [2]", "1: one [1]"));
  ASSERT_TRUE(host_->DestroyBrowser(2).ok);
  EXPECT_FALSE(Send("m", "[2]", 2));
}

TEST_F(BridgeTest, LeavingTheDocumentDropsItsCallbacks) {
  const char* registration =
      "app.setMessageCallback('m', function() { app.sendMessage('alive'); return true; });";
  Load(registration);
  // A navigation started by the page goes ahead and releases the old context.
  shell::Result navigation = host_->Navigate(1, "var fresh = true;", "next.js");
  EXPECT_TRUE(navigation.ok) << navigation.text;
  EXPECT_FALSE(Send("m"));

  // Another frame's document keeps its own registration while the main frame reloads.
  Load(registration, 1, "child");
  Load("var reloaded = true;");
  EXPECT_TRUE(Send("m"));
  Load("var replaced = true;", 1, "child");
  EXPECT_FALSE(Send("m"));
  EXPECT_THAT(Received(), ElementsAre("1: alive []"));
}

TEST_F(BridgeTest, EveryNewContextGetsTheAppObject) {
  Load("var app = {mine: 1}; app.x = 2;");
  Load("app.sendMessage('fresh', [typeof app.sendMessage, typeof app.mine]);");
  Load("app.sendMessage('child', [typeof app.setMessageCallback]);", 1, "child");
  EXPECT_THAT(Received(), ElementsAre("1: fresh [\"function\", \"undefined\"]",
                                      "1: child [\"function\"]"));
}

}  // namespace
