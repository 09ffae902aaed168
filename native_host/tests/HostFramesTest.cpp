// What the host does with frames and messages a browser (or anything else) may send it: requests
// it cannot take get a defined error and the host goes on; a stream it cannot trust any more ends
// the host, which releases every remote first. While no command runs, the host sleeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "HostProcess.h"

namespace {

using native_host_tests::HostProcess;
using nlohmann::json;

const char BAD_REQUEST[] = "{{300|Error in plugin:bad request}}";
const char UNKNOWN_METHOD[] = "{{300|Error in plugin:unknown method}}";

// Q never answers, H answers a report with 130 reports of 4096 bytes: more than one message holds.
const std::string REMOTES = "id=quiet, reply=silent\nid=huge, in=4096, reply=130\n";
const std::string Q = "336592896", H = "337641472";

std::string frame(const std::string& payload)
{
    const uint32_t length = static_cast<uint32_t>(payload.size());
    return std::string(reinterpret_cast<const char*>(&length), sizeof length) + payload;
}

std::string header(uint32_t length)
{
    return std::string(reinterpret_cast<const char*>(&length), sizeof length);
}

std::string repeated(const std::string& text, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

class HostFramesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string remotes = native_host_tests::temporaryPath("frames.sim");
        native_host_tests::writeFile(remotes, REMOTES);
        host = std::make_unique<HostProcess>(std::vector<std::string>{"HIDLET_SIM=@" + remotes});
        ASSERT_EQ(host->call("addHidlet", "[4660, 22136]")["result"], json());
        ASSERT_NE(host->call("getDevices")["result"].get<std::string>(), "");
    }

    std::unique_ptr<HostProcess> host;
};

TEST_F(HostFramesTest, RequestsItCannotTakeGetAnErrorAndTheHostGoesOn)
{
    const struct {
        std::string payload;
        json answer;
    } cases[] = {
        {"", {{"id", nullptr}, {"error", BAD_REQUEST}}}, // a zero-length frame: empty JSON text
        {"getDevices", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":1,\"method\":\"getDevices\"", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":1,\"method\":\"getDevices\"} {}", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":1,\"method\":\"\xff\"}", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"[1,\"getDevices\"]", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"method\":\"getDevices\"}", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":\"7\",\"method\":\"getDevices\"}", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":7.5,\"method\":\"getDevices\"}", {{"id", nullptr}, {"error", BAD_REQUEST}}},
        {"{\"id\":7}", {{"id", 7}, {"error", BAD_REQUEST}}},
        {"{\"id\":7,\"method\":[\"getDevices\"]}", {{"id", 7}, {"error", BAD_REQUEST}}},
        {"{\"id\":7,\"method\":\"getDevices\",\"args\":{}}", {{"id", 7}, {"error", BAD_REQUEST}}},
        {"{\"id\":7,\"method\":\"getDevices\",\"args\":\"x\"}", {{"id", 7}, {"error", BAD_REQUEST}}},
        {"{\"id\":7,\"method\":\"reboot\"}", {{"id", 7}, {"error", UNKNOWN_METHOD}}},
        {"{\"id\":7,\"method\":\"NULL\"}", {{"id", 7}, {"error", UNKNOWN_METHOD}}},
        {"{\"id\":7,\"method\":\"getdevices\"}", {{"id", 7}, {"error", UNKNOWN_METHOD}}},
        {"{\"id\":7,\"method\":\"\\ud800\"}", {{"id", 7}, {"error", UNKNOWN_METHOD}}},
        {"{\"id\":-9007199254740993,\"method\":\"getAttributeByKey\",\"args\":[\"plugin_version\"]}",
         {{"id", -9007199254740993LL}, {"result", "2.0"}}},
        {"{\"args\":[\"plugin_version\"],\"method\":\"getAttributeByKey\",\"id\":8,\"extra\":{}}",
         {{"id", 8}, {"result", "2.0"}}},
        {"{\"id\":9,\"method\":\"cleanupAll\"}", {{"id", 9}, {"result", "{{0|Cleanup all successfully executed!}}"}}},
        // Arguments nested a few levels are objects to the methods; nested thousands of levels
        // deep (in a frame under the size limit) they are refused, not copied or walked.
        {"{\"id\":10,\"method\":\"getAttributeByKey\",\"args\":[\"plugin_version\",[[[{\"a\":[1]}]]]]}",
         {{"id", 10}, {"result", "2.0"}}},
        {"{\"id\":11,\"method\":\"getDevices\",\"args\":" + std::string(500000, '[') + std::string(500000, ']') + "}",
         {{"id", 11}, {"error", BAD_REQUEST}}},
        {"{\"id\":12,\"method\":\"getDevices\",\"args\":[" + repeated("{\"a\":", 150000) + "1" + std::string(150000, '}') +
             "]}",
         {{"id", 12}, {"error", BAD_REQUEST}}},
        {"{\"id\":13,\"method\":\"getAttributeByKey\",\"args\":[\"plugin_version\"]}", {{"id", 13}, {"result", "2.0"}}},
    };
    // All at once, in one write: the answers come one per frame, in order.
    std::string burst;
    for (const auto& c : cases)
        burst += frame(c.payload);
    host->sendRaw(burst);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload);
        EXPECT_EQ(host->nextMessage(), c.answer);
    }
}

TEST_F(HostFramesTest, FramesArriveInAnyPiecesUpToTheLimit)
{
    // A frame of exactly the limit: a request of 8191 whole reports and blanks up to 1 MiB.
    std::string request = "{\"id\":1,\"method\":\"performOperation\",\"args\":[\"" + Q + "\",\""
                          + std::string(8191 * 128, 'A') + "\",0,5000,\"\"]}";
    request += std::string(1024 * 1024 - request.size(), ' ');
    const std::string bytes = frame(request) + frame("{\"id\":2,\"method\":\"getAttributeByKey\",\"args\":[\"plugin_version\"]}");
    // Cut at awkward places: inside the length, inside the JSON, across the two frames.
    for (size_t at = 0, step = 3; at < bytes.size(); at += step, step = step * 7 % 1000003 + 1) {
        host->sendRaw(bytes.substr(at, step));
        if (step < 100)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(host->nextMessage(), json({{"id", 1}, {"result", "{{-2|New command created}}"}}));
    EXPECT_EQ(host->nextMessage(), json({{"id", 2}, {"result", "2.0"}}));
    EXPECT_EQ(host->nextEvent(), json({{"event", "answer"}, {"deviceId", Q}, {"result", ""}}));
}

TEST_F(HostFramesTest, AnAnswerTooLargeForTheBrowserIsReplacedByAnError)
{
    ASSERT_EQ(host->call("performOperation", "[\"" + H + "\",\"" + std::string(128, '0') + "\",130,5000,\"\"]")["result"],
              "{{-2|New command created}}");
    const json tooLarge = {{"event", "answer"}, {"deviceId", H}, {"result", "{{300|Error in plugin:answer too large}}"}};
    EXPECT_EQ(host->nextEvent(), tooLarge);
    EXPECT_EQ(host->call("takeAnswer", "[\"" + H + "\"]")["result"], tooLarge["result"]);
}

// The stream ends: cleanly between frames, or where it cannot be trusted (a frame over 1 MiB, or
// cut short). The host releases every remote, so a command of a remote that is running stops too.
TEST_F(HostFramesTest, TheHostEndsWhenTheStreamEndsOrCannotBeTrusted)
{
    const struct {
        const char* what;
        std::string bytes;
        int status;
    } cases[] = {
        {"closed between frames", "", 0},
        {"a frame one byte over 1 MiB", header(1024 * 1024 + 1), 2},
        {"a frame of 4 GiB", header(0xFFFFFFFFu), 2},
        {"closed inside a frame", header(40) + "{\"id\":1,", 3},
        {"closed inside a length", std::string("\x10\x00", 2), 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_EQ(host->call("performOperation", "[\"" + Q + "\",\"" + std::string(128, '0') + "\",1,60000,\"\"]")["result"],
                  "{{-2|New command created}}");
        host->sendRaw(c.bytes);
        host->closeInput();
        EXPECT_EQ(host->nextMessage(std::chrono::seconds(5)), std::nullopt);
        EXPECT_EQ(host->waitExit(std::chrono::seconds(10)), c.status);
    }
}

// No command runs: the host's loop sleeps in poll() with no time-out, so a second of idleness
// costs it next to no wake-ups and no CPU. (Its main thread is counted: a sanitizer's runtime adds
// a thread of its own that wakes on a timer; host-bench counts every thread of a normal build.) A
// running command wakes the host often to poll it, but it must not spin.
TEST_F(HostFramesTest, TheHostSleepsWhileIdleAndDoesNotSpinWhilePolling)
{
    const long switchesBefore = host->mainThreadContextSwitches();
    const auto cpuBefore = host->cpuTime();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LE(host->mainThreadContextSwitches() - switchesBefore, 5);
    EXPECT_LT(host->cpuTime() - cpuBefore, std::chrono::milliseconds(30));

    ASSERT_EQ(host->call("performOperation", "[\"" + Q + "\",\"" + std::string(128, '0') + "\",1,60000,\"\"]")["result"],
              "{{-2|New command created}}");
    const auto cpuPolling = host->cpuTime();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(host->cpuTime() - cpuPolling, std::chrono::milliseconds(500));
    EXPECT_EQ(host->call("cancelCommand", "[\"" + Q + "\"]")["result"],
              "{{0|Command executed successfully:in KVE::cancel}}");
}

} // namespace
