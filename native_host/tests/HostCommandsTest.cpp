// Commands through the host as the extension sees them: the answer pushed when a command ends, the
// uncollected answer that a polling page collects instead, cancel, cleanup, and the device list pushed
// when the remotes change (here: the simulator's description file).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "HostProcess.h"

namespace {

using native_host_tests::HostProcess;
using nlohmann::json;

const std::string R(8 * 16, 'A');
// The simulator's remotes: M answers with three reports, then an end packet; S takes a second;
// E echoes. Device paths are their locations: 0x14000000 | position << 20.
const std::string M = "336592896", S = "337641472", E = "338690048";
const std::string END = std::string("EE") + std::string(126, '0');
const std::string REMOTES = "id=multi, reply=3, end=EE, rate=2\nid=slow, reply=50, rate=20\nid=echo\n";

std::string quoted(const std::string& text)
{
    return json(text).dump();
}

class HostCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        remotes = native_host_tests::temporaryPath(std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".sim");
        native_host_tests::writeFile(remotes, REMOTES);
        host = std::make_unique<HostProcess>(std::vector<std::string>{"HIDLET_SIM=@" + remotes});
        ASSERT_EQ(host->call("addHidlet", "[4660, 22136]"), json::parse(R"({"id":1,"result":null})"));
        ASSERT_EQ(listed(), 3u);
    }

    std::string result(const std::string& method, const std::string& args)
    {
        const json answer = host->call(method, args);
        return answer.value("result", json()).is_string() ? answer["result"].get<std::string>() : answer.dump();
    }

    std::string start(const std::string& device, int packets = 1, const std::string& end = "")
    {
        return result("performOperation", "[" + quoted(device) + "," + quoted(R) + "," + std::to_string(packets)
                                              + ",5000," + quoted(end) + "]");
    }

    // The number of remotes a page's listing holds (each record ends with "||").
    size_t listed()
    {
        const std::string text = result("getDevices", "[]");
        size_t records = 0;
        for (size_t at = text.find("||"); at != std::string::npos; at = text.find("||", at + 2))
            ++records;
        return records;
    }

    json answerEvent()
    {
        const auto event = host->nextEvent();
        return event ? *event : json("no event");
    }

    std::string remotes;
    std::unique_ptr<HostProcess> host;
};

TEST_F(HostCommandsTest, CommandOfSeveralReportsIsPushedThenCollectedOnce)
{
    ASSERT_EQ(start(M, -1, END), "{{-2|New command created}}");
    const json event = answerEvent();
    std::string expected;
    for (const char* last : {"00", "01", "02"})
        expected += R.substr(0, 126) + last;
    expected += END;
    EXPECT_EQ(event, json({{"event", "answer"}, {"deviceId", M}, {"result", expected}}));

    // A page that polls gets the uncollected answer once, without the engine; then a new command.
    EXPECT_EQ(start(M, -1, END), expected);
    EXPECT_EQ(start(M, -1, END), "{{-2|New command created}}");
    EXPECT_EQ(answerEvent()["result"], expected);
    // The extension drops an answer nobody will collect.
    EXPECT_EQ(result("takeAnswer", "[" + quoted(M) + "]"), expected);
    EXPECT_EQ(host->call("takeAnswer", "[" + quoted(M) + "]")["result"], json());
    EXPECT_EQ(start(M, -1, END), "{{-2|New command created}}");
}

// The engine's one worker runs one command at a time; the host polls both and pushes each
// answer to its own device.
TEST_F(HostCommandsTest, TwoRemotesAtOnceEachPushTheirOwnAnswer)
{
    ASSERT_EQ(start(S, 50), "{{-2|New command created}}");
    ASSERT_EQ(start(E), "{{-2|New command created}}");
    // Still waiting for the worker (-2 again) or running (-1).
    EXPECT_EQ(start(S, 50).substr(0, 3), "{{-");
    std::map<std::string, size_t> answered;
    for (int i = 0; i < 2; ++i) {
        const json event = answerEvent();
        answered[event.value("deviceId", "")] = event.value("result", "").size();
    }
    EXPECT_EQ(answered, (std::map<std::string, size_t>{{S, 50u * 128}, {E, 128u}}));
}

TEST_F(HostCommandsTest, CancelEndsTheCommandWithItsCode)
{
    ASSERT_EQ(start(S, 50), "{{-2|New command created}}");
    EXPECT_EQ(result("cancelCommand", "[" + quoted(S) + "]"), "{{0|Command executed successfully:in KVE::cancel}}");
    EXPECT_EQ(answerEvent(), json({{"event", "answer"}, {"deviceId", S}, {"result", "{{600|Cancel command}}"}}));
    EXPECT_EQ(start(S, 50), "{{600|Cancel command}}");
}

// Cleanup discards the command in the engine, so the host forgets its answer too: the page then
// starts a new command, as with the plug-in. So does a listing that no longer holds the remote.
TEST_F(HostCommandsTest, CleanupAndListingsForgetUncollectedAnswers)
{
    const struct {
        const char* what;
        std::string method, args, thenAnswer;
    } cases[] = {
        {"cleanupRemote", "cleanupRemote", "[" + quoted(E) + "]", "{{-2|New command created}}"},
        // Until the page lists again, the engine knows no remote.
        {"cleanupAll", "cleanupAll", "[]", "{{201|Lumora remote not found:in KVE::execute}}"},
        {"a cleanup of another remote", "cleanupRemote", "[" + quoted(M) + "]", R},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(start(E), "{{-2|New command created}}");
        ASSERT_EQ(answerEvent()["result"], R);
        result(c.method, c.args);
        EXPECT_EQ(start(E), c.thenAnswer);
        if (c.thenAnswer[2] == '-') {
            ASSERT_EQ(answerEvent()["result"], R);
        }
        result("takeAnswer", "[" + quoted(E) + "]");
        ASSERT_EQ(listed(), 3u);
    }

    ASSERT_EQ(start(E), "{{-2|New command created}}");
    ASSERT_EQ(answerEvent()["result"], R);
    native_host_tests::writeFile(remotes, "id=multi, reply=3, end=EE, rate=2\n");
    answerEvent(); // the device list went down to one remote
    EXPECT_EQ(listed(), 1u);
    EXPECT_EQ(start(E), "{{201|Lumora remote not found:in KVE::execute}}");
}

TEST_F(HostCommandsTest, DeviceListIsPushedWhenTheRemotesChange)
{
    const std::string before = result("getDevices", "[]");
    // The same description again: the list the page has is still right, nothing is sent.
    native_host_tests::writeFile(remotes, REMOTES);
    // One remote more: the new list, unasked.
    native_host_tests::writeFile(remotes, REMOTES + "id=late\n");
    const json added = answerEvent();
    ASSERT_EQ(added["event"], "devices");
    const std::string devices = added["devices"].get<std::string>();
    EXPECT_EQ(devices.substr(0, before.size()), before);
    EXPECT_NE(devices.find("device_id=339738624;;"), std::string::npos);
    EXPECT_EQ(result("getDevices", "[]"), devices);

    // Gone again, while a command runs on another remote: the list comes once that command's
    // answer has been pushed.
    ASSERT_EQ(start(M, -1, END), "{{-2|New command created}}");
    std::remove(remotes.c_str());
    EXPECT_EQ(answerEvent()["event"], "answer");
    EXPECT_EQ(answerEvent(), json({{"event", "devices"}, {"devices", ""}}));
    EXPECT_EQ(host->nextEvent(std::chrono::milliseconds(300)), std::nullopt);
}

} // namespace
