// Thousands of commands against remotes that misbehave at random: silence, slow reports,
// reports of the wrong length, removal in the middle of an answer, cancel and cleanup while
// commands run. Every command must end with a defined answer, every successful answer must hold
// only reports the remote sent, nothing may be left behind, and the worker must not spin on a
// remote that is gone, however long the command's time-out.
//
// SOAK_COMMANDS (default 1000) and SOAK_SEED (default 1) change the run.
#include "CSuperStupidDummyEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "EngineDriver.h"
#include "SimConfigFile.h"
#include "WorkerCpu.h"
#include "response/ResponseRepository.h"
#include "sim/SimResponder.h"
#include "src/HidletState.h"
#include "util/ByteUtil.h"

using namespace engine_test;
using quorvex::lumora::client::common::util::ByteUtil;
using quorvex::lumora::client::corvane::response::ResponseRepository;
using quorvex::lumora::client::corvane::superstupiddummyengine::CSuperStupidDummyEngine;
namespace sim = quorvex::lumora::client::corvane::hidlet::sim;
namespace usb = quorvex::lumora::client::corvane::hidlet;

namespace {

long fromEnvironment(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

// A behaviour with the request settings that fit it. Commands that wait for reports that never
// come cost a one-second read each, so the soak mostly asks what a remote will answer and only
// sometimes asks the impossible.
struct Behaviour
{
    const char* description;
    int packets;
    const char* endPacket;
    int weight;
    long timeout;   // -1: a random one below 3 s
};

// Ten million one-second time-outs: a worker that took each failing read on a vanished remote
// for a time-out would spin through them for seconds of CPU.
const long kLongTimeout = 10000000000L;

const Behaviour kBehaviours[] = {
    {"reply=echo", 1, "", 20, -1},
    {"reply=3, end=EEEE", -1, "EEEE0000", 20, -1},
    {"reply=2, rate=1", 2, "", 15, -1},
    {"reply=5, rate=2, end=EEEE", 6, "EEEE0000", 15, -1},
    {"reply=4, vanish=2, replug=0", 4, "", 15, -1},             // gone in the middle of its answer
    {"reply=4, vanish=1, replug=0", 4, "", 5, kLongTimeout},   // ... with a long time-out
    {"delay=30", 1, "", 10, -1},
    {"length=7", 1, "", 2, -1},                                  // reports of the wrong length
    {"reply=silent", 1, "", 1, -1},
};

const Behaviour& pickBehaviour(std::mt19937& random)
{
    int total = 0;
    for (const Behaviour& b : kBehaviours)
        total += b.weight;
    int at = static_cast<int>(random() % static_cast<unsigned>(total));
    for (const Behaviour& b : kBehaviours) {
        if (at < b.weight)
            return b;
        at -= b.weight;
    }
    return kBehaviours[0];
}

// One remote of the soak with the behaviour it plays in this round.
struct SoakRemote
{
    std::string id;
    std::string path;
    std::string description;
    const Behaviour* behaviour = nullptr;
    std::set<std::string> sent;   // every report (hexadecimal) it may have sent
};

std::string expectedText(int code)
{
    char* text = nullptr;
    ResponseRepository::createDynamicErrorMessage(text, code, "");
    std::string s(text);
    delete[] text;
    return s;
}

TEST(EngineSoak, EveryCommandEndsWithADefinedAnswerAndOnlyTheRemotesBytes)
{
    const long commands = fromEnvironment("SOAK_COMMANDS", 1000);
    std::mt19937 random(static_cast<unsigned>(fromEnvironment("SOAK_SEED", 1)));
    const int remoteCount = 4;
    std::vector<SoakRemote> remotes(remoteCount);
    std::map<std::string, long> faults;
    std::map<int, long> outcomes;
    const std::set<int> defined = {0, 101, 102, 103, 104, 105, 106, 200, 201, 202, 207, 208, 209, 210, 400, 600};

    const auto replug = [&](int which) {
        SoakRemote& r = remotes[which];
        r.id = "r" + std::to_string(which);
        const long location = 0x14000000L | (static_cast<long>(which + 1) << 20);
        r.path = std::to_string(location);
        r.behaviour = &pickBehaviour(random);
        r.description = "id=" + r.id + ", location=" + r.path + ", in=4, out=4, " + r.behaviour->description;
        std::string all;
        for (const SoakRemote& r : remotes)
            if (!r.description.empty())
                all += r.description + "\n";
        writeSimConfig(SIM_CONFIG_FILE, all);
    };

    double workerCpu = 0, wall = 0;
    {
        CSuperStupidDummyEngine engine;
        const auto start = std::chrono::steady_clock::now();
        const double cpuAtStart = std::max(0.0, workerCpuSeconds());   // it may not have started yet
        engine.addHidlet(0x1234, 0x5678);
        for (int i = 0; i < remoteCount; ++i)
            replug(i);
        engine.getDevicesInfo();

        for (long n = 0; n < commands; ++n) {
            const int which = static_cast<int>(random() % remoteCount);
            SoakRemote& remote = remotes[which];
            const std::string request = hexRequest(4 * (1 + random() % 3), static_cast<int>(n));
            // Whatever the remote may answer to this request joins what it may have sent.
            {
                sim::SimRemoteScript script = sim::parseSimRemote(remote.description, which + 1);
                script.vanishAfter = -1;
                sim::SimResponder responder(script);
                std::vector<unsigned char> bytes(request.size() / 2);
                for (size_t i = 0; i < bytes.size(); ++i)
                    bytes[i] = static_cast<unsigned char>(std::stoi(request.substr(2 * i, 2), nullptr, 16));
                for (size_t offset = 0; offset + 4 <= bytes.size(); offset += 4)
                    for (const sim::ScheduledReport& r : responder.answer(&bytes[offset], 4).reports)
                        remote.sent.insert(ByteUtil::bytesToHexString(r.bytes.data(), static_cast<int>(r.bytes.size())));
            }
            int packets = remote.behaviour->packets;
            const char* end = remote.behaviour->endPacket;
            long timeout = static_cast<long>(random() % 3000);
            if (remote.behaviour->timeout >= 0)
                timeout = remote.behaviour->timeout;
            if (random() % 25 == 0) {
                ++faults["unfitting request"];
                packets = static_cast<int>(random() % 6) - 1;   // -1 .. 4
                end = random() % 2 ? "EEEE0000" : "";
                timeout = static_cast<long>(random() % 1000);
            }

            const Answer first = execute(engine, remote.path, request.c_str(), packets, end, timeout);
            if (first.code == -2) {
                switch (random() % 10) {
                case 0:
                    ++faults["cancel"];
                    {
                        char* r = nullptr;
                        engine.cancel(remote.path, r);
                        delete[] r;
                    }
                    break;
                case 1:
                    ++faults["cleanup remote"];
                    {
                        char* r = nullptr;
                        engine.cleanupRemote(remote.path, r);
                        delete[] r;
                    }
                    break;
                case 2:
                    ++faults["cleanup all"];
                    engine.cleanupAll();
                    engine.getDevicesInfo();
                    break;
                case 3:
                    ++faults["unplug and replug"];
                    replug(which);
                    engine.getDevicesInfo();
                    break;
                case 4:
                    ++faults["listing"];
                    engine.getDevicesInfo();
                    break;
                default:
                    break;
                }
            }
            const Answer final = first.code >= 0 ? first : finish(engine, remote.path);
            ASSERT_GE(final.code, 0) << "command " << n << " never ended: " << final.text;
            ++outcomes[final.code];
            ASSERT_TRUE(defined.count(final.code)) << final.code << " " << final.text;
            if (final.code == 201)
                engine.getDevicesInfo();   // as a page would: list the remotes again
            if (final.code != 0 && final.code != 201) {
                ASSERT_EQ(expectedText(final.code), final.text);
            }
            if (final.code == 0) {
                ASSERT_EQ(0u, final.text.size() % 8) << final.text;
            }
            for (size_t at = 0; final.code == 0 && at < final.text.size(); at += 8) {
                const std::string block = final.text.substr(at, 8);
                ASSERT_TRUE(remote.sent.count(block)) << "command " << n << " answered " << block
                                                      << " that " << remote.id << " never sent";
            }
            // A silent remote costs a second per command: it gets one, then another behaviour.
            const bool costly = remote.behaviour->weight <= 2;
            if (costly || random() % 50 == 0) {
                replug(which);
                engine.getDevicesInfo();
            }
        }
        engine.cleanupAll();
        writeSimConfig(SIM_CONFIG_FILE, "");
        engine.getDevicesInfo();
        const double cpuAtEnd = workerCpuSeconds();
        ASSERT_GE(cpuAtEnd, 0) << "no engine worker thread found";
        workerCpu = cpuAtEnd - cpuAtStart;
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    std::cout << "soak: " << commands << " commands;";
    for (const auto& f : faults)
        std::cout << " " << f.first << " " << f.second << ";";
    std::cout << "\nsoak: outcomes by code:";
    for (const auto& o : outcomes)
        std::cout << " " << o.first << "=" << o.second;
    std::cout << "\nsoak: worker CPU " << workerCpu << " s in " << wall << " s" << std::endl;

    // The worker mostly waits for reports: a sound run keeps it on the CPU for 1% to 3% of the
    // run (the latter under TSan). A worker that spins on a vanished remote burns seconds of CPU
    // per command whatever the machine's load, most of the run; a loaded machine only stretches
    // the wall time of a sound run, so the bound cannot be missed for load.
    EXPECT_LT(workerCpu, 0.25 * wall) << "the worker spent a quarter of the run or more on the CPU";

    // The engine is gone: every device and pipe it attached has been given back.
    usb::HidletState& state = usb::hidletState();
    boost::mutex::scoped_lock hold(state.lock);
    EXPECT_TRUE(state.g_UsedHidlets.empty());
    EXPECT_TRUE(state.g_UsedIoPipes.empty());
}

} // namespace
