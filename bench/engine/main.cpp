// engine-bench: the cost the engine adds over the token API, measured on simulated remotes in one
// run, each figure against its baseline or goal.
//
//   engine-bench [--quick]
//
// The simulated remotes are described in a file the benchmark writes (HIDLET_SIM=@file); since
// libHidlet reads HIDLET_SIM when it loads, the program starts itself again with it set.
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Figures.h"
#include "SuperSimpleEngineFactory.h"
#include "hidlet/Hidlets.h"

using namespace bench;
using quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;
namespace usb = quorvex::lumora::client::corvane::hidlet;

namespace {

const char* kFileVariable = "ENGINE_BENCH_SIM_FILE";

std::string g_simFile;

void plug(const std::string& description)
{
    const std::string temporary = g_simFile + ".new";
    std::ofstream(temporary.c_str()) << description;
    std::rename(temporary.c_str(), g_simFile.c_str());
}

std::string path(int n) { return std::to_string(0x14000000L | (static_cast<long>(n) << 20)); }

std::string remote(int n, const std::string& behaviour)
{
    return "id=r" + std::to_string(n) + ", location=" + path(n) + ", " + behaviour + "\n";
}

std::string hex(size_t bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(i * 7 + 1) & 0xFF);
        text += pair;
    }
    return text;
}

// Runs one command to its final answer, polling as fast as the caller can.
int runCommand(ISuperSimpleDummyEngine& engine, const std::string& device, const std::string& request,
               int packets, long timeout, std::string* answer = nullptr)
{
    for (bool first = true;; first = false) {
        char* response = nullptr;
        const int code = engine.execute(device, first ? request.c_str() : "", packets, response, "", timeout);
        if (code >= 0 && answer)
            *answer = response;
        delete[] response;
        if (code >= 0)
            return code;
        std::this_thread::yield();
    }
}

struct TokenChannel
{
    long device = 0;
    long pipe = 0;
};

TokenChannel openFirstRemote()
{
    TokenChannel c;
    long* devices = nullptr;
    int count = 0;
    usb::GetCandidateHidletTokens(&devices, &count);
    if (count < 1)
        return c;
    c.device = devices[0];
    delete[] devices;
    usb::AttachDevice(c.device);
    long* pipes = nullptr;
    usb::GetCandidateIoPipeTokens(c.device, &pipes, &count);
    c.pipe = count > 0 ? pipes[0] : 0;
    delete[] pipes;
    usb::AttachChannel(c.device, c.pipe);
    usb::OpenChannel(c.pipe);
    return c;
}

void closeRemote(const TokenChannel& c)
{
    usb::CloseChannel(c.pipe);
    usb::DetachChannel(c.pipe);
    usb::DetachDevice(c.device);
}

// Per report: one output report written and one input report read, through the bare token API
// and through a whole engine command of the same reports.
void perReportCost(bool quick)
{
    const int reports = 32;
    const int rounds = quick ? 20 : 300;
    std::printf("per-report cost (echo remote, %d reports per command, %d commands)\n", reports, rounds);
    plug(remote(1, "reply=echo"));
    usb::AddHidlet(0x1234, 0x5678);

    Samples bare;
    {
        const TokenChannel c = openFirstRemote();
        std::vector<unsigned char> out(64, 0x5A), in(64);
        for (int round = 0; round < rounds; ++round) {
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < reports; ++r)
                usb::Write(c.pipe, out.data(), 64);
            for (int r = 0; r < reports; ++r)
                usb::Read(c.pipe, in.data(), 64, 1000);
            bare.add(Clock::now() - start);
        }
        closeRemote(c);
    }

    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.addHidlet(0x1234, 0x5678);
    engine.getDevicesInfo();
    const std::string request = hex(64 * reports);
    Samples viaEngine;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        runCommand(engine, path(1), request, reports, 5000);
        viaEngine.add(Clock::now() - start);
    }
    engine.cleanupAll();

    const double barePerReport = bare.median() / reports;
    const double enginePerReport = viaEngine.median() / reports;
    report("token API, write + read per report (median)", microseconds(barePerReport), "baseline", true);
    report("engine command, per report (median)", microseconds(enginePerReport), "", true);
    report("added by the engine per report", microseconds(enginePerReport - barePerReport), "< 50 us",
           enginePerReport - barePerReport < 50);
}

// The least any hand-over to a sleeping worker and back can cost: a thread that sleeps on a
// condition until it is handed a task, and a caller that polls, as the engine's caller does, until
// it sees the task done. Measured in the same run as the engine, on the same machine.
class BareHandOver
{
public:
    BareHandOver() : m_thread([this] { serve(); }) {}
    ~BareHandOver()
    {
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    void roundTrip()
    {
        m_done.store(false);
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_task = true;
        }
        m_wake.notify_one();
        while (!m_done.load(std::memory_order_acquire))
            std::this_thread::yield();
    }

private:
    void serve()
    {
        std::unique_lock<std::mutex> hold(m_mutex);
        for (;;) {
            m_wake.wait(hold, [this] { return m_task || m_stop; });
            if (m_stop)
                return;
            m_task = false;
            m_done.store(true, std::memory_order_release);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_task = false;
    bool m_stop = false;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// A command of one report against the token API's round trip of one report and against the bare
// hand-over, in alternating blocks on the same remote: what the engine adds to the hand-over that
// any worker thread costs.
void oneReportCommand(bool quick)
{
    const int rounds = quick ? 50 : 2000;
    const int blocks = 4;
    std::printf("one-report command against one token API round trip and a bare hand-over to a sleeping thread\n"
                "(echo remote, %d blocks of %d)\n", blocks, rounds);
    plug(remote(5, "reply=echo"));
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    const std::string request = hex(64);
    std::vector<unsigned char> out(64, 0x5A), in(64);
    Samples bare, handOver, viaEngine;
    BareHandOver worker;
    for (int block = 0; block < blocks; ++block) {
        const TokenChannel c = openFirstRemote();
        for (int round = 0; round < rounds; ++round) {
            const Clock::time_point start = Clock::now();
            usb::Write(c.pipe, out.data(), 64);
            usb::Read(c.pipe, in.data(), 64, 1000);
            bare.add(Clock::now() - start);
        }
        closeRemote(c);
        for (int round = 0; round < rounds; ++round) {
            // As long apart as the engine's commands are, so that the thread is as deeply asleep.
            std::this_thread::sleep_for(std::chrono::microseconds(2));
            const Clock::time_point start = Clock::now();
            worker.roundTrip();
            handOver.add(Clock::now() - start);
        }
        engine.getDevicesInfo();
        for (int round = 0; round < rounds; ++round) {
            std::this_thread::sleep_for(std::chrono::microseconds(2));
            const Clock::time_point start = Clock::now();
            runCommand(engine, path(5), request, 1, 5000);
            viaEngine.add(Clock::now() - start);
        }
        engine.cleanupAll();
    }
    report("token API, Write + Read of one report (median)", microseconds(bare.median()), "baseline", true);
    report("bare hand-over to a sleeping thread and back (median)", microseconds(handOver.median()), "baseline", true);
    report("engine command of one report (median / p99)",
           microseconds(viaEngine.median()) + " / " + microseconds(viaEngine.quantile(0.99)), "", true);
    const double added = viaEngine.median() - bare.median() - handOver.median();
    report("added beyond the token API and the hand-over (median)", microseconds(added), "< 5 us", added < 5);
}

// An answer of 64 reports from a remote that sends one per millisecond takes the remote 64 ms.
void paceOfALongAnswer(bool quick)
{
    const int rounds = quick ? 3 : 20;
    std::printf("64-report answer at one report per millisecond (%d commands)\n", rounds);
    plug(remote(2, "reply=64, delay=1, rate=1"));
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.getDevicesInfo();
    Samples took;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        std::string answer;
        runCommand(engine, path(2), hex(64), 64, 5000, &answer);
        took.add(Clock::now() - start);
        if (answer.size() != 64 * 128)
            std::printf("  unexpected answer of %zu characters\n", answer.size());
    }
    engine.cleanupAll();
    const double ratio = took.median() / 64000.0;
    char figure[64];
    std::snprintf(figure, sizeof figure, "%s (x%.3f)", milliseconds(took.median()).c_str(), ratio);
    report("whole answer through the engine (median) vs 64 ms", figure, "within 10%", ratio <= 1.10);
}

// Calls on the caller thread while the worker waits in a read of a silent remote.
void callerLatency(bool quick)
{
    const int calls = quick ? 200 : 2000;
    std::printf("caller-thread latency while the worker waits in a read (%d calls each)\n", calls);
    std::string remotes = remote(3, "reply=silent") + remote(4, "reply=echo");
    plug(remotes);
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.getDevicesInfo();
    char* response = nullptr;
    engine.execute(path(3), hex(64).c_str(), 1, response, "", 60000);
    delete[] response;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));   // the worker is now in its read

    Samples listing, polls, cancels;
    for (int i = 0; i < calls; ++i) {
        Clock::time_point start = Clock::now();
        engine.getDevicesInfo();
        listing.add(Clock::now() - start);

        start = Clock::now();
        response = nullptr;
        engine.execute(path(3), "", 1, response, "", 0);
        polls.add(Clock::now() - start);
        delete[] response;

        start = Clock::now();
        response = nullptr;
        engine.cancel(path(4), response);
        cancels.add(Clock::now() - start);
        delete[] response;
    }
    response = nullptr;
    engine.cancel(path(3), response);
    delete[] response;
    engine.cleanupAll();
    const struct { const char* what; const Samples& s; } rows[] = {
        {"getDevicesInfo p99 (2 remotes)", listing}, {"execute poll p99", polls}, {"cancel p99", cancels}};
    for (const auto& row : rows)
        report(row.what, milliseconds(row.s.quantile(0.99)) + " (max " + milliseconds(row.s.max()) + ")",
               "p99 < 2 ms", row.s.quantile(0.99) < 2000);
}

void listingSixteen(bool quick)
{
    const int calls = quick ? 50 : 500;
    std::printf("device list with 16 remotes (%d calls)\n", calls);
    std::string remotes;
    for (int n = 1; n <= 16; ++n)
        remotes += remote(n, "reply=echo");
    plug(remotes);
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.getDevicesInfo();
    Samples took;
    for (int i = 0; i < calls; ++i) {
        const Clock::time_point start = Clock::now();
        engine.getDevicesInfo();
        took.add(Clock::now() - start);
    }
    engine.cleanupAll();
    report("getDevicesInfo with 16 remotes (median / p99)",
           milliseconds(took.median()) + " / " + milliseconds(took.quantile(0.99)), "< 5 ms",
           took.quantile(0.99) < 5000);
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const char* ownFile = std::getenv(kFileVariable);
    if (!ownFile) {
        if (std::getenv("HIDLET_SIM")) {
            std::fprintf(stderr, "engine-bench: run it without HIDLET_SIM; it plugs its own remotes\n");
            return 2;
        }
        const std::string file = "/tmp/engine-bench-" + std::to_string(getpid()) + ".sim";
        std::ofstream(file.c_str()) << "";
        setenv(kFileVariable, file.c_str(), 1);
        setenv("HIDLET_SIM", ("@" + file).c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("engine-bench: execv");
        return 2;
    }
    g_simFile = ownFile;
    std::printf("engine-bench%s: simulated remotes, figures against the token API and the goals\n",
                quick ? " (quick)" : "");
    perReportCost(quick);
    oneReportCommand(quick);
    paceOfALongAnswer(quick);
    callerLatency(quick);
    listingSixteen(quick);
    std::remove(g_simFile.c_str());
    return 0;
}
