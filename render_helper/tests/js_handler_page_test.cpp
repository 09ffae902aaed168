// The page's jsHandler object, called from page script in a render process on a thread of the
// test.
#include "JsHandlerFunctions.h"
#include "bridge_fixture.h"
#include "js_handler_environment.h"

using ::testing::ElementsAre;

namespace jshandler = quorvex::lumora::client::renderhelper::jshandler;

namespace {

TEST_F(BridgeTest, ValueFunctionsAnswerStrings) {
  Load("app.sendMessage('facts', [jsHandler.getAppVersion(), jsHandler.getKeyBoardLocale()]);");
  EXPECT_THAT(Received(), ElementsAre("1: facts [\"" EXPECTED_BUNDLE_VERSION "\", \"German\"]"));

  // The export reaches the page whole, its non-ASCII characters included, and parses as JSON.
  Load("var layout = jsHandler.getKeyboardLayout();"
       "var keys = JSON.parse(layout);"
       "app.sendMessage('parsed', [Array.isArray(keys), keys.length > 100,"
       "                           keys[0].K, keys[0].V]);"
       "app.sendMessage('layout', [layout]);");
  std::vector<shell::ReceivedMessage> received = host_->TakeMessages();
  ASSERT_EQ(2u, received.size());
  EXPECT_EQ("[true, true, \"N_0\", \"a\"]",
            shell::FormatList(received[0].message->GetArgumentList()));
  std::string layout = received[1].message->GetArgumentList()->GetString(0).ToString();
  EXPECT_EQ(jshandler::GetKeyboardLayout(), layout);
  // German: sharp s on the key right of 0, the dead acute shows its accent.
  EXPECT_NE(std::string::npos, layout.find("{\"K\":\"N_27\",\"V\":\"\xc3\x9f\"}")) << layout;
  EXPECT_NE(std::string::npos, layout.find("{\"K\":\"N_24\",\"V\":\"\xc2\xb4\"}")) << layout;
}

TEST_F(BridgeTest, ClearCacheMarksAnExistingPreferenceFile) {
  const std::string path = JsHandlerEnvironment::PreferenceFilePath();
  const struct {
    const char* before;  // nullptr: no file
    const char* after;   // nullptr: still no file
    const char* again;
  } cases[] = {
      {nullptr, nullptr, nullptr},
      {"", ";;clearCache", ";;clearCache"},
      {"a;;b", "a;;b;;clearCache", "a;;b;;clearCache"},
      // Only the first line is looked at: a marker behind a newline is not seen next time.
      {"a;;b\n", "a;;b\n;;clearCache", "a;;b\n;;clearCache;;clearCache"},
  };
  for (const auto& c : cases) {
    const char* name = c.before ? c.before : "no file";
    if (c.before) WriteFile(path, c.before);
    else RemoveFile(path);
    Load("app.sendMessage('r', [typeof jsHandler.clearCache()]);");
    EXPECT_THAT(Received(), ElementsAre("1: r [\"undefined\"]"));
    EXPECT_EQ(c.after ? c.after : "<missing>", FileContents(path)) << name;
    Load("jsHandler.clearCache();");
    EXPECT_EQ(c.again ? c.again : "<missing>", FileContents(path)) << "again: " << name;
  }
  RemoveFile(path);
}

TEST_F(BridgeTest, ShowAboutDoesNothingAndSilverlightLoadedNotifiesEveryCall) {
  ASSERT_TRUE(host_->CreateBrowser(2).ok);
  Load("app.sendMessage('about', [typeof jsHandler.showAbout()]);");
  EXPECT_THAT(Received(), ElementsAre("1: about [\"undefined\"]"));

  Load("var first = jsHandler.silverlightLoaded();"
       "jsHandler.silverlightLoaded();"
       "app.sendMessage('r', [typeof first]);",
       2);
  Load("jsHandler.silverlightLoaded();");
  EXPECT_THAT(Received(), ElementsAre("2: silverlightLoaded []", "2: silverlightLoaded []",
                                      "2: r [\"undefined\"]", "1: silverlightLoaded []"));
}

TEST_F(BridgeTest, FunctionsIgnoreArgumentsAndReceiver) {
  Load("var f = jsHandler.getAppVersion, about = jsHandler.showAbout;"
       "app.sendMessage('r', ["
       "  f(), f.call({}, 1, 'x'), f.apply(null, [[1], {a: 2}, undefined]),"
       "  jsHandler.getKeyBoardLocale(function() {}), typeof about(1, 2, 3)]);"
       "jsHandler.silverlightLoaded('with', ['arguments']);"
       "jsHandler.silverlightLoaded.call(5);");
  const std::string v = EXPECTED_BUNDLE_VERSION;
  EXPECT_THAT(Received(),
              ElementsAre("1: r [\"" + v + "\", \"" + v + "\", \"" + v + "\", \"German\", "
                          "\"undefined\"]",
                          "1: silverlightLoaded []", "1: silverlightLoaded []"));
}

TEST_F(BridgeTest, JsHandlerIsAPlainObjectWithTheSixFunctionsInOrder) {
  Load("var d = Object.getOwnPropertyDescriptor(this, 'jsHandler');"
       "var f = Object.getOwnPropertyDescriptor(jsHandler, 'clearCache');"
       "app.sendMessage('shape', [Object.keys(jsHandler),"
       "  Object.getPrototypeOf(jsHandler) === Object.prototype,"
       "  [d.writable, d.enumerable, d.configurable],"
       "  [typeof f.value, f.writable, f.enumerable, f.configurable]]);");
  EXPECT_THAT(Received(),
              ElementsAre("1: shape [[\"clearCache\", \"getAppVersion\", \"getKeyBoardLocale\", "
                          "\"getKeyboardLayout\", \"showAbout\", \"silverlightLoaded\"], true, "
                          "[true, true, true], [\"function\", true, true, true]]"));
}

TEST_F(BridgeTest, EveryContextGetsItsOwnFreshJsHandler) {
  const std::string report =
      "app.sendMessage('seen', [typeof jsHandler.mark, typeof jsHandler.showAbout]);";
  Load("jsHandler.mark = 'main'; delete jsHandler.showAbout;"
       "app.setMessageCallback('report', function() { " + report + " return true; });");
  Load(report, 1, "child");
  EXPECT_TRUE(Send("report"));
  EXPECT_THAT(Received(), ElementsAre("1: seen [\"undefined\", \"function\"]",
                                      "1: seen [\"string\", \"undefined\"]"));

  // A navigation gives the new document a new object, every function working.
  shell::Result navigation =
      host_->Navigate(1, report + "jsHandler.silverlightLoaded();", "next.js");
  ASSERT_TRUE(navigation.ok) << navigation.text;
  EXPECT_THAT(Received(),
              ElementsAre("1: seen [\"undefined\", \"function\"]", "1: silverlightLoaded []"));
}

}  // namespace
