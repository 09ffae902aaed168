// host-bench: the time remote-bridge-host adds to a command, against the engine's own time for the
// same command in the same run, and what polling a running command costs the host.
//
//   host-bench [--quick]
//
// The engine's own time: libKVE in this process, polled as fast as this thread can. Through the
// host: from writing the request to the host's pipe to reading the pushed answer from it, which is
// what the browser's side sees. Both run on simulated remotes described in a file the benchmark
// writes (HIDLET_SIM=@file); libHidlet reads HIDLET_SIM when it loads, so the program starts itself
// again with it set.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "Figures.h"
#include "HostProcess.h"
#include "SuperSimpleEngineFactory.h"

using namespace bench;
using native_host_tests::HostProcess;
using quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

namespace {

const char* kFileVariable = "HOST_BENCH_SIM_FILE";
// E echoes a report at once; L sends 64 reports, one per millisecond.
const char* kRemotes = "id=echo, reply=echo\nid=long, reply=64, delay=1, rate=1\n";
const std::string E = "336592896", L = "337641472";
const std::string REPORT(128, '5');

double engineTime(ISuperSimpleDummyEngine& engine, const std::string& device, int packets)
{
    const Clock::time_point start = Clock::now();
    for (bool first = true;; first = false) {
        char* response = nullptr;
        const int code = engine.execute(device, first ? REPORT.c_str() : "", packets, response, "", 5000);
        delete[] response;
        if (code >= 0)
            break;
        std::this_thread::yield();
    }
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double hostTime(HostProcess& host, const std::string& device, int packets, size_t answerSize)
{
    const Clock::time_point start = Clock::now();
    host.call("performOperation", "[\"" + device + "\",\"" + REPORT + "\"," + std::to_string(packets) + ",5000,\"\"]");
    const auto event = host.nextEvent();
    const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (!event || (*event)["result"].get<std::string>().size() != answerSize)
        std::printf("  unexpected answer: %s\n", event ? event->dump().substr(0, 80).c_str() : "none");
    host.call("takeAnswer", "[\"" + device + "\"]");
    return took;
}

void compare(const char* what, ISuperSimpleDummyEngine& engine, HostProcess& host, const std::string& device,
             int packets, int rounds, double goalAddedUs, double goalRatio)
{
    std::printf("%s (%d commands each)\n", what, rounds);
    Samples direct, through;
    for (int round = 0; round < rounds; ++round) {
        direct.addMicroseconds(engineTime(engine, device, packets));
        through.addMicroseconds(hostTime(host, device, packets, static_cast<size_t>(packets) * 128));
    }
    const double added = through.median() - direct.median();
    report("engine's own time (median)", milliseconds(direct.median()), "baseline", true);
    report("answer pushed by the host (median)", milliseconds(through.median()), "", true);
    char figure[64];
    std::snprintf(figure, sizeof figure, "%s (x%.3f)", microseconds(added).c_str(), through.median() / direct.median());
    char goal[64];
    if (goalRatio > 0)
        std::snprintf(goal, sizeof goal, "within %.0f%%", (goalRatio - 1) * 100);
    else
        std::snprintf(goal, sizeof goal, "< %s", microseconds(goalAddedUs).c_str());
    report("added by the host (median)", figure, goal,
           goalRatio > 0 ? through.median() <= direct.median() * goalRatio : added < goalAddedUs);
}

void pollingCost(HostProcess& host, int rounds)
{
    std::printf("the host's CPU while it polls 64-report commands (%d commands)\n", rounds);
    const auto cpu = host.cpuTime();
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < rounds; ++round)
        hostTime(host, L, 64, 64 * 128);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double used = std::chrono::duration<double>(host.cpuTime() - cpu).count();
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.1f%% of a core", 100 * used / wall);
    report("host CPU while polling", figure, "< 25% of a core", used / wall < 0.25);
}

void idleCost(HostProcess& host)
{
    std::printf("the host idle for a second\n");
    // Let the host finish with the last answer and go back to sleep before counting.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long before = host.contextSwitches();
    const auto cpu = host.cpuTime();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long wakeUps = host.contextSwitches() - before;
    report("wake-ups of all its threads", std::to_string(wakeUps), "none", wakeUps == 0);
    report("CPU", milliseconds(std::chrono::duration<double, std::micro>(host.cpuTime() - cpu).count()), "", true);
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    if (!std::getenv(kFileVariable)) {
        // A folder of its own: the host watches the description's folder, and other files
        // changing there would wake it.
        char folder[] = "/tmp/host-bench.XXXXXX";
        if (!mkdtemp(folder))
            return 1;
        const std::string name = std::string(folder) + "/remotes.sim";
        std::ofstream(name) << kRemotes;
        setenv(kFileVariable, name.c_str(), 1);
        setenv("HIDLET_SIM", ("@" + name).c_str(), 1);
        execv("/proc/self/exe", argv);
        return 1;
    }
    const std::string simFile = std::getenv(kFileVariable);

    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.addHidlet(0x1234, 0x5678);
    engine.getDevicesInfo();
    {
        HostProcess host({"HIDLET_SIM=@" + simFile});
        host.call("addHidlet", "[4660, 22136]");
        host.call("getDevices");
        compare("one-report command (echo remote)", engine, host, E, 1, quick ? 20 : 300, 2000, 0);
        compare("64-report answer at one report per millisecond", engine, host, L, 64, quick ? 3 : 20, 0, 1.05);
        pollingCost(host, quick ? 3 : 20);
        idleCost(host);
    }
    engine.cleanupAll();
    std::remove(simFile.c_str());
    rmdir(simFile.substr(0, simFile.rfind('/')).c_str());
    return 0;
}
