// The shared table of bad page input (plugin/tests/page_bad_input_rows.json) through the built
// host, as the browser extension passes each call: the same rows as through the plug-in, the same
// answers, except where a row says the JSON path differs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "BadInputRows.h"
#include "HostProcess.h"
#include "PageCall.h"

namespace {

using device_plugin_tests::BadInputRow;
using native_host_tests::HostProcess;
using native_host_tests::PageCall;

const device_plugin_tests::BadInputRows& rows()
{
    return device_plugin_tests::badInputRows();
}

class HostBadInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string remotes = native_host_tests::temporaryPath("bad-input.sim");
        native_host_tests::writeFile(remotes, rows().remotes);
        host = std::make_unique<HostProcess>(std::vector<std::string>{"HIDLET_SIM=@" + remotes});
        for (const auto& [name, text] : rows().names)
            names[name] = text;
        for (const BadInputRow& row : rows().setup)
            ASSERT_EQ(answer(native_host_tests::parsePageCall(row.call, names)), row.answer) << row.call;
    }

    std::string answer(const PageCall& call) { return call.shown(host->call(call.method, call.argsJson)["result"]); }

    // Polls a command with the call that started it until it leaves -1/-2.
    std::string finish(const PageCall& call)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (;;) {
            const std::string shown = answer(call);
            if (shown.rfind("string:{{-", 0) != 0)
                return shown;
            if (std::chrono::steady_clock::now() > deadline)
                return "still in progress: " + shown;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void runTable(const std::string& name)
    {
        for (const BadInputRow& row : rows().tables.at(name)) {
            SCOPED_TRACE(row.call);
            // Over the frame limit the host ends, as the frame tests show; the row cannot be asked.
            if (row.frameTooLarge)
                continue;
            const PageCall call = native_host_tests::parsePageCall(row.call, names);
            EXPECT_EQ(answer(call), row.answerOverJson());
            if (!row.finalAnswer.empty()) {
                EXPECT_EQ(finish(call), row.finalAnswerOverJson());
            }
        }
        host->dropEvents();
    }

    std::unique_ptr<HostProcess> host;
    std::map<std::string, std::string> names;
};

TEST_F(HostBadInputTest, RequestsAndEndPackets)
{
    runTable("requests and end packets");
}

TEST_F(HostBadInputTest, NulsAndTextThatIsNotUtf8)
{
    runTable("NULs and text that is not UTF-8");
}

TEST_F(HostBadInputTest, CountsAndTimeOuts)
{
    runTable("counts and time-outs");
}

TEST_F(HostBadInputTest, MissingExtraAndWrongTypedArguments)
{
    runTable("missing, extra and wrong-typed arguments");
}

} // namespace
