// The page runner and the example pages, against the fake engine: what the pages send the engine,
// what they print, and how a run ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FakeEngineClient.h"
#include "PageRunner.h"

namespace {

using device_plugin_tests::FakeEngineClient;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char DEVICES[] = "device_id=17;;token=1;;vendor_id=4660;;product_id=22136;;input_report_length=64;;"
                       "output_report_length=64;;bcd_version_number=256||device_id=18;;token=2||";

class PageRunnerTest : public ::testing::Test {
protected:
    int run(const std::string& example, std::vector<std::string> arguments = {}, double timeoutSeconds = 30)
    {
        arguments.insert(arguments.begin(), std::string(EXAMPLES_DIR) + "/" + example);
        arguments.insert(arguments.begin(), {"--plugin", device_plugin_tests::pluginUnderTest(), "--timeout",
                                             std::to_string(timeoutSeconds)});
        page_runner::Options options;
        std::string error;
        EXPECT_TRUE(page_runner::parseOptions(arguments, options, error)) << error;
        return page_runner::runPage(options, out, err);
    }

    FakeEngineClient engine;
    std::ostringstream out, err;
};

// The first remote listed has 64-byte reports, so the request and the end packet go out padded to
// whole reports.
TEST_F(PageRunnerTest, SendRequestPollsUntilTheAnswerIsIn)
{
    engine.answerText("getDevicesInfo", DEVICES);
    engine.answerText("execute", "{{-2|New command created}}");
    engine.answerText("execute", "{{-1|Command in progress}}");
    engine.answerText("execute", "0A0B0C");
    EXPECT_EQ(run("send_request.js", {"poll=1", "end=FF"}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("remote 17: sending 0102030405060708\nanswer: 0A0B0C\n"));
    const std::string execute =
        "execute|17|0102030405060708" + std::string(112, '0') + "|1|FF" + std::string(126, '0') + "|5000|slot=null";
    EXPECT_THAT(engine.calls(), ElementsAre("addHidlet|4660|22136", "getDevicesInfo", execute, execute, execute));
}

TEST_F(PageRunnerTest, SettingsComeFromPageArgumentsThenTheEnvironment)
{
    setenv("REMOTE_TIMEOUT_MS", "250", 1);
    engine.answerText("execute", "FFEE");
    EXPECT_EQ(run("send_request.js", {"device=/dev/hidraw3", "request=C0DE", "packets=-1", "end=EE", "poll=1"}), 0)
        << err.str();
    unsetenv("REMOTE_TIMEOUT_MS");
    EXPECT_THAT(engine.calls(), ElementsAre("execute|/dev/hidraw3|C0DE|-1|EE|250|slot=null"));
}

TEST_F(PageRunnerTest, FailuresAndMissingRemotesEndTheDemoWithCodeOne)
{
    engine.answerText("getDevicesInfo", DEVICES);
    engine.answerText("execute", "{{201|Lumora remote not found:in KVE::execute}}");
    EXPECT_EQ(run("send_request.js", {"vendor=0x1", "product=2"}), 1);
    EXPECT_THAT(out.str(), HasSubstr("answer: {{201|Lumora remote not found:in KVE::execute}}"));
    EXPECT_EQ(engine.calls().front(), "addHidlet|1|2");

    engine.reset();
    out.str("");
    EXPECT_EQ(run("send_request.js"), 1);
    EXPECT_THAT(out.str(), HasSubstr("no remotes found"));
}

TEST_F(PageRunnerTest, CancelRequestCancelsOnceTheRequestRuns)
{
    engine.answerText("getDevicesInfo", DEVICES);
    engine.answerText("execute", "{{-2|New command created}}");
    engine.answerText("cancel", "{{0|Command executed successfully:in KVE::cancel}}");
    engine.answerText("execute", "{{600|Cancel command}}");
    EXPECT_EQ(run("cancel_request.js", {"poll=1"}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("cancel: {{0|Command executed successfully:in KVE::cancel}}\n"
                                     "ended with: {{600|Cancel command}}\n"));
    EXPECT_EQ(engine.calls().at(3), "cancel|17|slot=null");
}

TEST_F(PageRunnerTest, ListAndCleanupPagesWalkEveryRemote)
{
    engine.answerText("getDevicesInfo", DEVICES);
    EXPECT_EQ(run("list_remotes.js"), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("plug-in version 2.0\nremote 1: device_id=17 token=1 vendor_id=4660"));
    EXPECT_THAT(out.str(), HasSubstr("remote 2: device_id=18 token=2\n"));

    engine.reset();
    engine.answerText("getDevicesInfo", DEVICES);
    engine.answerText("cleanupRemote", "{{0|Command executed successfully:in KVE::cleanupRemote}}");
    EXPECT_EQ(run("cleanup.js"), 0) << err.str();
    EXPECT_THAT(engine.calls(), ElementsAre("addHidlet|4660|22136", "getDevicesInfo", "cleanupRemote|17|slot=null",
                                            "cleanupRemote|18|slot=null", "cleanupAll"));
    EXPECT_THAT(out.str(), HasSubstr("cleanup 18: {{998|Null response from KVE in cancel command}}\n"
                                     "cleanup all: {{0|Cleanup all successfully executed!}}\n"));
}

TEST_F(PageRunnerTest, RunEndsAreReportedByExitCode)
{
    const std::string page = ::testing::TempDir() + "page_runner_test_page.js";
    const auto write = [&](const std::string& source) { std::ofstream(page) << source; };
    page_runner::Options options;
    options.pluginPath = device_plugin_tests::pluginUnderTest();
    options.pagePath = page;

    write("embed().getDevices(); page.exit(7);");
    EXPECT_EQ(page_runner::runPage(options, out, err), 7);
    write("setTimeout(function () { undefinedFunction(); }, 0);");
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_PAGE_ERROR);
    // An async page: it waits for its timers, and a rejection it never handles is a page error.
    write("(async () => { await new Promise(done => setTimeout(done, 1)); page.exit(5); })();");
    EXPECT_EQ(page_runner::runPage(options, out, err), 5);
    write("(async () => { await null; undefinedFunction(); })();");
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_PAGE_ERROR);
    EXPECT_THAT(err.str(), HasSubstr("Uncaught (in promise) ReferenceError"));
    write("(function again() { setTimeout(again, 1000); })();");
    options.timeLimit = std::chrono::milliseconds(0);
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_TIMED_OUT);
    options.pagePath = page + ".missing";
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_PAGE_ERROR);
    options.pluginPath = page;
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_USAGE);
    std::remove(page.c_str());
}

// A page with import statements runs as a module: its imports are files beside it, its own
// `await` works at the top, and an error in a module it imports names that file and line.
TEST_F(PageRunnerTest, ModulePagesImportFilesBesideThem)
{
    const std::string dir = ::testing::TempDir() + "page_runner_modules/";
    std::system(("mkdir -p " + dir).c_str());
    std::ofstream(dir + "plugin.js") << "export const plugin = embed();\n"
                                        "export function version() { return plugin.getAttributeByKey('plugin_version'); }\n";
    std::ofstream(dir + "broken.js") << "\n\nexport const broken = missingName;\n";
    std::ofstream(dir + "page.js") << "import { version } from './plugin.js';\n"
                                      "await new Promise((done) => setTimeout(done, 1));\n"
                                      "console.log(`version ${version()}`);\n"
                                      "page.exit(6);\n";
    std::ofstream(dir + "bad.js") << "import { broken } from './broken.js';\n";
    page_runner::Options options;
    options.pluginPath = device_plugin_tests::pluginUnderTest();
    options.pagePath = dir + "page.js";
    EXPECT_EQ(page_runner::runPage(options, out, err), 6) << err.str();
    EXPECT_EQ(out.str(), "version 2.0\n");

    options.pagePath = dir + "bad.js";
    EXPECT_EQ(page_runner::runPage(options, out, err), page_runner::EXIT_PAGE_ERROR);
    EXPECT_THAT(err.str(), HasSubstr("Uncaught (in promise) ReferenceError: Can't find variable: missingName ("
                                     + dir + "broken.js:3)"));
    std::system(("rm -rf " + dir).c_str());
}

TEST(PageRunnerOptionsTest, ParsesTheCommandLine)
{
    page_runner::Options options;
    std::string error;
    ASSERT_TRUE(page_runner::parseOptions({"--timeout", "1.5", "--user-agent", "UA", "--plugin", "p.so", "page.js",
                                           "a=1", "--b"},
                                          options, error));
    EXPECT_EQ(options.timeLimit, std::chrono::milliseconds(1500));
    EXPECT_EQ(options.userAgent, "UA");
    EXPECT_EQ(options.pluginPath, "p.so");
    EXPECT_EQ(options.pagePath, "page.js");
    EXPECT_EQ(options.pageArguments, (std::vector<std::string>{"a=1", "--b"}));

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {}, {"--timeout"}, {"--timeout", "soon", "p.js"}, {"--timeout", "-1", "p.js"}, {"--frobnicate", "x", "p.js"}}) {
        page_runner::Options ignored;
        EXPECT_FALSE(page_runner::parseOptions(bad, ignored, error)) << bad.size();
    }
}

} // namespace
