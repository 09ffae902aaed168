// What a page gets for every kind of bad input to the plug-in's methods, through the host browser,
// the real plug-in, engine and USB library, on simulated remotes (HIDLET_SIM, set by the test's
// environment, from a file the build writes). The rows are the shared table of bad page input
// (page_bad_input_rows.json): page script and the exact answer it gets; a row that starts a command
// also states the command's final answer, polled with the same call. No row may crash, hang or
// leave browser memory or object references behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BadInputRows.h"
#include "nphost/LeakCheck.h"
#include "nphost/Browser.h"
#include "nphost/MemoryLedger.h"
#include "nphost/Page.h"
#include "nphost/PluginModule.h"

namespace {

using device_plugin_tests::BadInputRow;

struct Row {
    std::string call;
    std::string answer;
    std::string finalAnswer; // for a row that starts a command: what polling it ends with
};

// The plug-in's answers in one table of the shared rows.
std::vector<Row> table(const std::string& name)
{
    std::vector<Row> rows;
    for (const BadInputRow& row : device_plugin_tests::badInputRows().tables.at(name))
        rows.push_back(Row{row.call, row.answer, row.finalAnswer});
    return rows;
}

class PageBadInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = std::make_unique<nphost::PluginModule>(browser, DEVICE_PLUGIN);
        page = std::make_unique<nphost::Page>(*module, out, err);
        const auto& rows = device_plugin_tests::badInputRows();
        evaluate("var p = embed();\n" + rows.definitions());
        for (const BadInputRow& row : rows.setup)
            ASSERT_EQ(evaluate(row.call), row.answer) << row.call;
    }

    void TearDown() override
    {
        page.reset();
        EXPECT_EQ(leaks.problems(1), "");
        EXPECT_EQ(err.str(), "");
    }

    std::string evaluate(const std::string& code) { return page->script().evaluate(code); }

    // Polls a command with the call that started it until it leaves -1/-2.
    std::string finish(const std::string& call)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            const std::string answer = evaluate(call);
            if (answer.rfind("string:{{-", 0) != 0)
                return answer;
            if (std::chrono::steady_clock::now() > deadline)
                return "still in progress: " + answer;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void runTable(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.call);
            const size_t blocks = nphost::MemoryLedger::instance().liveBlocks();
            EXPECT_EQ(evaluate(row.call), row.answer);
            if (!row.finalAnswer.empty()) {
                EXPECT_EQ(finish(row.call), row.finalAnswer);
            }
            EXPECT_EQ(nphost::MemoryLedger::instance().liveBlocks(), blocks);
        }
    }

    nphost::LeakCheck leaks;
    nphost::Browser browser;
    std::unique_ptr<nphost::PluginModule> module;
    std::ostringstream out, err;
    std::unique_ptr<nphost::Page> page;
};

TEST_F(PageBadInputTest, RequestsAndEndPackets)
{
    runTable(table("requests and end packets"));
}

TEST_F(PageBadInputTest, NulsAndTextThatIsNotUtf8)
{
    runTable(table("NULs and text that is not UTF-8"));
}

TEST_F(PageBadInputTest, CountsAndTimeOuts)
{
    runTable(table("counts and time-outs"));
}

TEST_F(PageBadInputTest, MissingExtraAndWrongTypedArguments)
{
    runTable(table("missing, extra and wrong-typed arguments"));
}

// How the object answers for names it does not have: the script engine's own errors, so these
// rows are the plug-in's alone.
TEST_F(PageBadInputTest, UnknownMethodsAndProperties)
{
    runTable({
        {"typeof p.reboot", "string:undefined", ""},
        {"'reboot' in p", "false", ""},
        {"p.reboot()", "error:TypeError: p.reboot is not a function. (In 'p.reboot()', 'p.reboot' is undefined)", ""},
        {"p()", "error:Error: Error calling method on NPObject.", ""},
        {"p.NULL === p", "true", ""},
        {"p.null", "undefined", ""},
        {"(function () { 'use strict'; try { p.NULL = 1; return 'set'; } catch (e) { return 'refused'; } })()",
         "string:refused", ""},
        {"(function () { 'use strict'; try { p.extra = 1; return 'set'; } catch (e) { return 'refused'; } })()",
         "string:refused", ""},
        {"delete p.getDevices", "false", ""},
        {"typeof p.getDevices", "string:function", ""},
    });
}

} // namespace
