// What a page gets for every kind of bad input to the plug-in's methods, through the host browser,
// the real plug-in, engine and USB library, on simulated remotes (HIDLET_SIM, set by the test's
// environment, from a file the build writes):
//   E  336592896  answers every output report with itself
//   B  337641472  cannot be opened
//   Q  338690048  never answers
// Each row is page script and the exact answer it gets; a row that starts a command also states
// the command's final answer, polled with the same call. No row may crash, hang or leave browser
// memory or object references behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "nphost/LeakCheck.h"
#include "nphost/Browser.h"
#include "nphost/MemoryLedger.h"
#include "nphost/Page.h"
#include "nphost/PluginModule.h"

namespace {

const char NEW_COMMAND[] = "string:{{-2|New command created}}";
const char EXCEPTION[] = "string:{{999|Unexpected exception in cancel command}}";
const char REQUEST_MISSING[] = "string:{{200|Error in KVE:Request is missing}}";
const char END_PACKET_MISSING[] = "string:{{200|Error in KVE:End packet is missing}}";
const char NO_TERMINATE[] = "string:{{210|KVE terminate signal missing}}";
const char NOT_FOUND[] = "string:{{201|Lumora remote not found:in KVE::execute}}";
const char READ_TIMEOUT[] = "string:{{102|USB read error (read timeout)}}";

struct Row {
    const char* call;
    std::string answer;
    std::string finalAnswer; // for a row that starts a command: what polling it ends with
};

std::string repeat(const std::string& text, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// R: one whole output report (64 bytes) of hexadecimal text.
const std::string R = repeat("0123456789ABCDEF", 8);

class PageBadInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = std::make_unique<nphost::PluginModule>(browser, DEVICE_PLUGIN);
        page = std::make_unique<nphost::Page>(*module, out, err);
        ASSERT_EQ(evaluate("var p = embed(); p.addHidlet(0x1234, 0x5678)"), "null");
        ASSERT_EQ(evaluate("var E = '336592896', B = '337641472', Q = '338690048', R = '" + R
                           + "'; function big(text, length) { while (text.length < length) text += text; "
                             "return text.substring(0, length); } p.getDevices().split('||').length"),
                  "number:4");
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
    const std::string echo = "string:" + R;
    runTable({
        {"p.performOperation(E, R, 1, 5000, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, R.toLowerCase(), 1, 5000, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, R + '0', 1, 5000, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, 'ABC', 0, 5000, '')", NEW_COMMAND, "string:"},
        {"p.performOperation(E, '', 0, 5000, '')", NEW_COMMAND, "string:"},
        {"p.performOperation(E, 'GG' + R.substring(2), 1, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 1)}}", ""},
        {"p.performOperation(E, R + ' ', 1, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 129)}}", ""},
        {"p.performOperation(E, '0x01', 0, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 2)}}", ""},
        {"p.performOperation(E, null, 1, 5000, '')", REQUEST_MISSING, ""},
        {"p.performOperation(E)", REQUEST_MISSING, ""},
        {"p.performOperation(E, R, 1, 5000, null)", END_PACKET_MISSING, ""},
        {"p.performOperation(E, R, 1, 5000)", END_PACKET_MISSING, ""},
        {"p.performOperation(E, R, -1, 5000, 'F')", "string:{{209|End packet parsing error:F}}", ""},
        {"p.performOperation(E, R, -1, 5000, 'FF')", "string:{{209|End packet parsing error:FF}}", ""},
        {"p.performOperation(E, R, -1, 5000, R + '00')", "string:{{209|End packet parsing error:" + R + "00}}", ""},
        {"p.performOperation(E, R, -1, 5000, 'GG' + R.substring(2))",
         "string:{{209|End packet parsing error:GG" + R.substr(2) + "}}", ""},
        {"p.performOperation(E, R, -1, 5000, R)", NEW_COMMAND, echo},
        // Ten megabytes of request: refused at once when not hexadecimal, sent whole when it is.
        {"p.performOperation(E, big('G', 10485760), 1, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 1)}}", ""},
        {"p.performOperation(E, big(R, 10485759) + 'x', 1, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 10485760)}}", ""},
        {"p.performOperation(Q, big(R, 10485760), 0, 5000, '')", NEW_COMMAND, "string:"},
        {"p.performOperation(E, R, 1, 5000, big('F', 10485760)).length", "number:" + std::to_string(10485760 + 33),
         ""},
    });
}

TEST_F(PageBadInputTest, NulsAndTextThatIsNotUtf8)
{
    const std::string echo = "string:" + R;
    runTable({
        // A text argument reaches the engine up to its first NUL.
        {"p.performOperation(E + '\\u0000junk', R, 1, 5000, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, R + '\\u0000GG', 1, 5000, '\\u0000')", NEW_COMMAND, echo},
        {"p.performOperation(E, '\\u0000' + R, 0, 5000, '')", NEW_COMMAND, "string:"},
        {"p.performOperation(E, R, -1, 5000, '\\u0000' + R)", NO_TERMINATE, ""},
        // A lone surrogate reaches the plug-in as U+FFFD, as a browser converts it to UTF-8.
        {"p.performOperation(E, '\\uD800', 1, 5000, '')",
         "string:{{200|Error in KVE:Request is not hexadecimal text (character 1)}}", ""},
        {"p.performOperation(E, R, -1, 5000, '\\uDC00')", "string:{{209|End packet parsing error:\xEF\xBF\xBD}}", ""},
        {"p.performOperation('\\uD800', R, 1, 5000, '')", NOT_FOUND, ""},
        {"p.performOperation('\\u00e9\\ud83d\\ude00', R, 1, 5000, '')", NOT_FOUND, ""},
        {"p.cancelCommand('\\uDFFF\\uD800')", "string:{{201|Lumora remote not found:in KVE::cancel}}", ""},
        {"p.getAttributeByKey('plugin_version\\u0000\\uD800')", "string:2.0", ""},
    });
}

TEST_F(PageBadInputTest, CountsAndTimeOuts)
{
    const std::string echo = "string:" + R;
    runTable({
        {"p.performOperation(E, R, -2, 5000, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, R, 0, 5000, '')", NEW_COMMAND, "string:"},
        {"p.performOperation(E, R, -1, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, 1.9, 5000, '')", NEW_COMMAND, echo},
        // More reports than the remote sends: the one read the time-out allows runs out.
        {"p.performOperation(E, R, 2147483647, 1000, '')", NEW_COMMAND, READ_TIMEOUT},
        // Counts that are no 32-bit integer are -1, which needs an end packet.
        {"p.performOperation(E, R, NaN, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, Infinity, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, -Infinity, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, 1e300, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, 2147483648, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, -2147483649, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, NaN, 5000, R)", NEW_COMMAND, echo},
        // A time-out that is no 32-bit integer is -1; like 0 it allows no second wait for a report.
        {"p.performOperation(Q, R, 1, NaN, '')", NEW_COMMAND, READ_TIMEOUT},
        {"p.performOperation(Q, R, 1, 0, '')", NEW_COMMAND, READ_TIMEOUT},
        {"p.performOperation(E, R, 1, 1e300, '')", NEW_COMMAND, echo},
        {"p.performOperation(E, R, 1, -2147483648, '')", NEW_COMMAND, echo},
    });
}

TEST_F(PageBadInputTest, MissingExtraAndWrongTypedArguments)
{
    const std::string echo = "string:" + R;
    runTable({
        {"p.performOperation()", EXCEPTION, ""},
        {"p.performOperation(336592896, R, 1, 5000, '')", EXCEPTION, ""},
        {"p.performOperation(null, R, 1, 5000, '')", EXCEPTION, ""},
        {"p.performOperation({}, R, 1, 5000, '')", EXCEPTION, ""},
        {"p.performOperation(p, R, 1, 5000, '')", EXCEPTION, ""},
        {"p.performOperation('', R, 1, 5000, '')", NOT_FOUND, ""},
        {"p.performOperation('nope', R, 1, 5000, '')", NOT_FOUND, ""},
        {"p.performOperation(B, R, 1, 5000, '')", NEW_COMMAND, "string:{{202|USB Communication channel not found}}"},
        {"p.performOperation(E, 1234, 0, 5000, '')", REQUEST_MISSING, ""},
        {"p.performOperation(E, [R], 1, 5000, '')", REQUEST_MISSING, ""},
        {"p.performOperation(E, true, 1, 5000, '')", REQUEST_MISSING, ""},
        {"p.performOperation(E, R, '1', 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, true, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, null, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(E, R, {}, 5000, '')", NO_TERMINATE, ""},
        {"p.performOperation(Q, R, 1, '5000', '')", NEW_COMMAND, READ_TIMEOUT},
        {"p.performOperation(E, R, 1, 5000, 255)", END_PACKET_MISSING, ""},
        {"p.performOperation(E, R, 1, 5000, {})", END_PACKET_MISSING, ""},
        {"p.performOperation(E, R, 1, 5000, '', 'extra', 7, p)", NEW_COMMAND, echo},
        {"p.cancelCommand(E)", "string:{{0|Command executed successfully:in KVE::cancel}}", ""},
        {"p.cancelCommand(E, 'extra')", "string:{{0|Command executed successfully:in KVE::cancel}}", ""},
        {"p.cancelCommand('nope')", "string:{{201|Lumora remote not found:in KVE::cancel}}", ""},
        {"p.cancelCommand()", EXCEPTION, ""},
        {"p.cancelCommand(5)", EXCEPTION, ""},
        {"p.cleanupRemote()", EXCEPTION, ""},
        {"p.cleanupRemote(null)", EXCEPTION, ""},
        {"p.cleanupRemote('nope', 1)", "string:{{0|Command executed successfully:in KVE::cleanupRemote}}", ""},
        {"p.cleanupAll(1, 'two', null)", "string:{{0|Cleanup all successfully executed!}}", ""},
        {"p.addHidlet()", "null", ""},
        {"p.addHidlet('0x1234', {}, 3)", "null", ""},
        {"p.addHidlet(NaN, Infinity)", "null", ""},
        {"p.addHidlet(0x1234, 0x5678)", "null", ""},
        {"p.getDevices(1, 'x').split('||').length", "number:4", ""},
        {"p.getAttributeByKey('plugin_version', 1)", "string:2.0", ""},
        {"p.getAttributeByKey('PLUGIN_VERSION')", "null", ""},
        {"p.getAttributeByKey(null)", "null", ""},
        {"p.getAttributeByKey()", "null", ""},
    });
}

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
