// The engine through its factory alone, as the plug-in uses it, over simulated remotes that the
// description file plugs in.
#include "SuperSimpleEngineFactory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <iostream>
#include <map>
#include <thread>

#include "EngineDriver.h"
#include "SimConfigFile.h"
#include "WorkerCpu.h"
#include "response/ResponseRepository.h"

using namespace engine_test;
using quorvex::lumora::client::corvane::response::ResponseRepository;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

namespace {

// Device paths of the remotes below (their location ids in decimal).
const std::string A = std::to_string(0x14100000);
const std::string B = std::to_string(0x14200000);

std::string text(char* response)
{
    std::string s(response ? response : "(null)");
    delete[] response;
    return s;
}

class Engine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        engine().addHidlet(0x1234, 0x5678);
        plug("");
    }

    void TearDown() override
    {
        engine().cleanupAll();
        plug("");
        engine().getDevicesInfo();
    }

    static ISuperSimpleDummyEngine& engine() { return *SuperSimpleEngineFactory::createSuperSimpleDummyEngine(); }

    // Plugs exactly these remotes and lets the engine see them.
    std::string plug(const std::string& description)
    {
        writeSimConfig(SIM_CONFIG_FILE, description);
        return engine().getDevicesInfo();
    }
};

TEST_F(Engine, FactoryHandsOutOneEngine)
{
    EXPECT_EQ(SuperSimpleEngineFactory::createSuperSimpleDummyEngine(), &engine());
}

TEST_F(Engine, ListsConnectedRemotesAsDeviceRecords)
{
    EXPECT_EQ("", engine().getDevicesInfo());
    const std::string list = plug("id=a, location=0x14100000; id=b, location=0x14200000, in=8, out=16, version=-1");
    ASSERT_EQ((std::vector<std::string>{A, B}), devicePaths(list));
    std::map<std::string, std::string> first;
    ResponseRepository::getDeviceAttributes(list, first);
    const std::string expected =
        "device_id=" + A + ";;token=" + first["token"] + ";;vendor_id=4660;;product_id=22136;;"
        "input_report_length=64;;output_report_length=64;;bcd_version_number=256||"
        "device_id=" + B + ";;token=";
    EXPECT_EQ(expected, list.substr(0, expected.size()));
    EXPECT_NE(std::string::npos, list.find(";;input_report_length=8;;output_report_length=16;;bcd_version_number=-1||"));
    EXPECT_EQ("||", list.substr(list.size() - 2));

    // Another type's remote is not listed until its type is registered.
    EXPECT_EQ(2u, devicePaths(plug("id=a, location=0x14100000; id=b, location=0x14200000, in=8, out=16, version=-1;"
                                   "id=c, vid=1, pid=2")).size());
    engine().addHidlet(1, 2);
    EXPECT_EQ(3u, devicePaths(engine().getDevicesInfo()).size());
}

TEST_F(Engine, PollingProtocolRunsFromNewToOneFinalAnswer)
{
    plug("id=a, location=0x14100000, delay=300");
    const std::string request = hexRequest(64, 1);
    const Outcome o = run(engine(), A, request.c_str(), 1, "", 5000);
    EXPECT_EQ(-2, o.first.code);
    EXPECT_EQ("{{-2|New command created}}", o.first.text);
    EXPECT_TRUE(o.sawInProgress);
    EXPECT_TRUE(o.answersWellFormed);
    EXPECT_EQ(0, o.final.code);
    EXPECT_EQ(request, o.final.text);   // the echo, upper-case hexadecimal
    // The final answer discarded the command: the next call starts a new one.
    const Outcome again = run(engine(), A, request.c_str(), 1, "", 5000);
    EXPECT_EQ(-2, again.first.code);
    EXPECT_EQ(request, again.final.text);
}

TEST_F(Engine, CommandsThatCannotBeBuiltAreAnsweredAndDiscardedAtOnce)
{
    plug("id=a, location=0x14100000, in=4, out=4");
    const struct { const char* request; int packets; const char* end; int code; const char* text; } cases[] = {
        {"00112233", 1, "ABC", 209, "{{209|End packet parsing error:ABC}}"},
        {"00112233", -1, "", 210, "{{210|KVE terminate signal missing}}"},
        {"0011223G", 1, "", 200, "{{200|Error in KVE:Request is not hexadecimal text (character 8)}}"},
        {nullptr, 1, "", 200, "{{200|Error in KVE:Request is missing}}"},
        {"00112233", 1, nullptr, 200, "{{200|Error in KVE:End packet is missing}}"},
    };
    for (const auto& c : cases) {
        const Answer a = execute(engine(), A, c.request, c.packets, c.end, 1000);
        EXPECT_EQ(c.code, a.code);
        EXPECT_EQ(c.text, a.text);
        const Outcome next = run(engine(), A, "0A0B0C0D", 1, "", 1000);   // nothing was kept
        EXPECT_EQ(-2, next.first.code);
        EXPECT_EQ("0A0B0C0D", next.final.text);
    }
}

TEST_F(Engine, UnknownRemotesAndEmptyCallsHaveDefinedAnswers)
{
    plug("id=a, location=0x14100000");
    char* response = nullptr;
    EXPECT_EQ(201, engine().execute("nope", "00", 1, response, "", 1000));
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::execute}}", text(response));
    response = nullptr;
    EXPECT_EQ(201, engine().cancel("nope", response));
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::cancel}}", text(response));
    response = nullptr;
    EXPECT_EQ(0, engine().cancel(A, response));   // no command: nothing to cancel
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cancel}}", text(response));
    response = nullptr;
    EXPECT_EQ(0, engine().cleanupRemote("nope", response));
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cleanupRemote}}", text(response));
    EXPECT_EQ(201, execute(engine(), A.substr(1), "00", 1, "", 0).code);   // exact match only
}

TEST_F(Engine, AnswerEndsByCountOrEndPacket)
{
    plug("id=a, location=0x14100000, in=4, out=4, reply=3, end=EE000000, rate=1");
    const struct { int packets; const char* end; const char* answer; } cases[] = {
        {-1, "EE000000", "0A0B0C000A0B0C010A0B0C02EE000000"},   // up to the end packet, included
        {2, "", "0A0B0C000A0B0C01"},                            // the count comes first
        {9, "EE000000", "0A0B0C000A0B0C010A0B0C02EE000000"},    // the end packet comes first
        {0, "", ""},                                             // nothing read at all
    };
    for (const auto& c : cases) {
        const Outcome o = run(engine(), A, "0A0B0C0D", c.packets, c.end, 1000);
        EXPECT_EQ(0, o.final.code) << o.final.text;
        EXPECT_EQ(c.answer, o.final.text) << c.packets;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));   // let unread reports go by
        char* response = nullptr;
        engine().cleanupRemote(A, response);   // drop reports the count left unread
        delete[] response;
    }
}

TEST_F(Engine, ReadBudgetIsOneSecondTimeOutPerFullSecondOfTheTimeOut)
{
    // The answer comes after 2.5 s: a 2000 ms budget tolerates the two time-outs before it, a
    // 1999 ms budget only one; a 999 ms budget none at all on a silent remote.
    plug("id=a, location=0x14100000, delay=2500");
    EXPECT_EQ(0, run(engine(), A, hexRequest(64, 2).c_str(), 1, "", 2000).final.code);
    const Outcome shortBudget = run(engine(), A, hexRequest(64, 2).c_str(), 1, "", 1999);
    EXPECT_EQ(102, shortBudget.final.code);
    EXPECT_EQ("{{102|USB read error (read timeout)}}", shortBudget.final.text);
    plug("id=a, location=0x14100000, reply=silent");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(102, run(engine(), A, hexRequest(64, 2).c_str(), 1, "", 999).final.code);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(Engine, CancelEndsTheCommandBetweenReads)
{
    plug("id=a, location=0x14100000, reply=silent");
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 3).c_str(), 1, "", 60000).code);
    char* response = nullptr;
    EXPECT_EQ(0, engine().cancel(A, response));
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cancel}}", text(response));
    const Answer a = finish(engine(), A);
    EXPECT_EQ(600, a.code);
    EXPECT_EQ("{{600|Cancel command}}", a.text);

    // Cancelled while an answer of several reports comes in.
    plug("id=a, location=0x14100000, reply=50, rate=30");
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 3).c_str(), 50, "", 60000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    response = nullptr;
    engine().cancel(A, response);
    delete[] response;
    EXPECT_EQ(600, finish(engine(), A).code);
}

TEST_F(Engine, UnpluggedRemoteDisappearsWithItsCommand)
{
    plug("id=a, location=0x14100000, reply=silent");
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 4).c_str(), 1, "", 60000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ("", plug(""));   // busy remotes are kept, but not listed
    const Answer gone = execute(engine(), A, "00", 1, "", 0);
    EXPECT_EQ(201, gone.code);
    EXPECT_EQ("{{201|Lumora remote not found:in KVE::execute}}", gone.text);

    // Plugged again it is a new device, and a new remote that works.
    plug("id=a, location=0x14100000");
    const Outcome o = run(engine(), A, hexRequest(64, 5).c_str(), 1, "", 1000);
    EXPECT_EQ(0, o.final.code);
    EXPECT_EQ(hexRequest(64, 5), o.final.text);
}

TEST_F(Engine, RemoteGoneDuringACommandEndsItAtOnceWith400WhateverItsTimeOut)
{
    const std::string fatal = "{{400|Fatal error occurred, system should be refreshed}}";
    const struct { const char* remote; int requestBytes; int packets; } cases[] = {
        {"reply=5, rate=5, vanish=2", 4, 5},   // in the middle of its answer
        {"reply=5, vanish=1", 4, 5},           // right after its first report
        {"reply=5, vanish=0", 4, 1},           // before its first report
        {"reply=5, vanish=0", 8, 1},           // before the second output report is sent
    };
    for (const auto& c : cases) {
        for (const long timeout : {0L, 999L, 10000000000L, LONG_MAX}) {
            SCOPED_TRACE(std::string(c.remote) + ", " + std::to_string(c.requestBytes) + " bytes, time-out " +
                         std::to_string(timeout));
            plug(std::string("id=a, location=0x14100000, in=4, out=4, ") + c.remote);
            const Outcome o = run(engine(), A, hexRequest(c.requestBytes, 6).c_str(), c.packets, "", timeout);
            EXPECT_EQ(400, o.final.code);
            EXPECT_EQ(fatal, o.final.text);
            EXPECT_EQ("", engine().getDevicesInfo());
            plug("");
        }
    }
}

TEST_F(Engine, RemovedRemotesLongTimeOutNeitherSpinsTheWorkerNorDelaysAnotherRemote)
{
    plug("id=a, location=0x14100000, reply=5, rate=5, vanish=2; id=b, location=0x14200000");
    const double cpuBefore = workerCpuSeconds();
    ASSERT_GE(cpuBefore, 0) << "no engine worker thread found";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 11).c_str(), 5, "", 10000000000L).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));   // a's command is running
    const std::string request = hexRequest(64, 12);
    const Outcome b = run(engine(), B, request.c_str(), 1, "", 1000);
    const double bWaited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Answer a = finish(engine(), A);
    const double cpu = workerCpuSeconds() - cpuBefore;
    std::cout << "removed remote, time-out 10^10 ms: worker CPU " << cpu << " s; the other remote's answer after "
              << bWaited << " s" << std::endl;
    EXPECT_EQ(400, a.code);
    EXPECT_EQ(request, b.final.text);
    // The exchange itself costs the worker a few milliseconds; spinning through the time-out
    // costs it seconds, however loaded the machine (it is work, not waiting).
    EXPECT_LT(cpu, 0.5);
}

TEST_F(Engine, CleanupDuringACommandBringsTheRemoteBackWithFreshChannels)
{
    plug("id=a, location=0x14100000, reply=silent");
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 7).c_str(), 1, "", 60000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    char* response = nullptr;
    EXPECT_EQ(0, engine().cleanupRemote(A, response));
    EXPECT_EQ("{{0|Command executed successfully:in KVE::cleanupRemote}}", text(response));
    EXPECT_EQ((std::vector<std::string>{A}), devicePaths(engine().getDevicesInfo()));
    // The remote that came back has no command: a new one starts.
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 7).c_str(), 1, "", 1000).code);
    EXPECT_EQ(102, finish(engine(), A).code);

    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 7).c_str(), 1, "", 60000).code);
    EXPECT_EQ(0, engine().cleanupAll());
    EXPECT_EQ(201, execute(engine(), A, "00", 1, "", 0).code);   // until the next listing
    EXPECT_EQ((std::vector<std::string>{A}), devicePaths(engine().getDevicesInfo()));
}

TEST_F(Engine, TwoRemotesRunTheirCommandsSideBySide)
{
    plug("id=a, location=0x14100000, delay=100; id=b, location=0x14200000, reply=2, end=FF, in=2, out=2");
    const std::string request = hexRequest(64, 8);
    EXPECT_EQ(-2, execute(engine(), A, request.c_str(), 1, "", 1000).code);
    EXPECT_EQ(-2, execute(engine(), B, "ABCD", -1, "FF00", 1000).code);
    const Answer b = finish(engine(), B);
    const Answer a = finish(engine(), A);
    EXPECT_EQ(request, a.text);
    EXPECT_EQ("AB00AB01FF00", b.text);
}

TEST_F(Engine, SecondExecuteWhileNewQueuesAgainHarmlessly)
{
    plug("id=a, location=0x14100000, reply=silent; id=b, location=0x14200000, delay=50");
    // Keep the worker busy with a, so b's command waits as new.
    EXPECT_EQ(-2, execute(engine(), A, hexRequest(64, 9).c_str(), 1, "", 60000).code);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string request = hexRequest(64, 10);
    EXPECT_EQ(-2, execute(engine(), B, request.c_str(), 1, "", 1000).code);
    const Answer second = execute(engine(), B, "FFFF", 1, "", 1000);   // arguments ignored
    EXPECT_EQ(-2, second.code);
    EXPECT_EQ("{{-2|New command created}}", second.text);
    char* response = nullptr;
    engine().cancel(A, response);
    delete[] response;
    EXPECT_EQ(600, finish(engine(), A).code);
    const Answer b = finish(engine(), B);
    EXPECT_EQ(0, b.code);
    EXPECT_EQ(request, b.text);
}

TEST_F(Engine, RemoteWithoutAnOpenChannelIsListedWithZeroLengthsAndAnswers202)
{
    const std::string list = plug("id=a, location=0x14100000, open=fail");
    EXPECT_NE(std::string::npos, list.find(";;input_report_length=0;;output_report_length=0;;"));
    // Also a command that reads nothing: nothing could be sent either.
    for (const int packets : {1, 0}) {
        const Outcome o = run(engine(), A, "00", packets, "", 1000);
        EXPECT_EQ(202, o.final.code) << packets;
        EXPECT_EQ("{{202|USB Communication channel not found}}", o.final.text);
    }
}

TEST_F(Engine, RestOfAnAbandonedAnswerDoesNotOpenTheNextAnswer)
{
    // The first command leaves reports of its answer unread: by its count, by a cancel.
    const struct { const char* remote; int packets; bool cancel; } cases[] = {
        {"reply=4", 1, false},
        {"reply=20, rate=2", 20, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remote);
        plug(std::string("id=a, location=0x14100000, in=4, out=4, ") + c.remote);
        EXPECT_EQ(-2, execute(engine(), A, "01020304", c.packets, "", 5000).code);
        if (c.cancel) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            char* response = nullptr;
            engine().cancel(A, response);
            delete[] response;
        }
        finish(engine(), A);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));   // the whole answer has come
        EXPECT_EQ("0A0B0C000A0B0C01", run(engine(), A, "0A0B0C0D", 2, "", 1000).final.text);
    }
}

TEST_F(Engine, CommandThatSendsNothingCollectsTheAnswerToAnEarlierOne)
{
    plug("id=a, location=0x14100000, in=4, out=4, reply=2");
    EXPECT_EQ("", run(engine(), A, "0A0B0C0D", 0, "", 1000).final.text);   // write only
    EXPECT_EQ("0A0B0C000A0B0C01", run(engine(), A, "", 2, "", 1000).final.text);
}

} // namespace
