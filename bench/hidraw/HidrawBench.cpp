// hidraw-bench [--quick] [PART...]: libHidlet's Linux backend on the kernel's HID stack, each figure
// next to a baseline measured in the same run on the same remote where there is one (a bare hidraw
// loop, and hidapi, the library a native developer would pick), and next to the goal it is held
// to. The round trips, long answers, engine commands and openings run on a uhid remote and again
// on a USB remote (a USB HID gadget on a dummy_hcd controller, driven by usbhid), and the two are
// printed side by side at the end. Runs inside the test VM (run_in_vm.sh), where /dev/uhid and the
// USB modules are. --quick: few rounds, only to show that every part still runs; PART: only the
// parts named (round-trip, long-answer, engine, opening, silent, listing). The exit code tells
// whether every step worked, not whether the goals were met (an emulated CPU is no measure).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include "SuperSimpleEngineFactory.h"
#include "HidapiPeer.h"
#include "RemoteProcess.h"
#include "hidlet/Hidlets.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;
using quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

namespace {

typedef std::chrono::steady_clock Clock;
const long kVendor = 0x1234;
const long kProduct = 0x5678;

// How many rounds each part runs.
struct Scale
{
    // Sides that are compared run in alternating blocks: many short ones, so that the machine's
    // drift (other load on the host of the VM) falls on every side alike.
    int blocks = 20;
    int roundTrips = 100;        // per block
    int longAnswerRuns = 5;
    int engineRounds = 20;       // per block
    int openings = 50;
    long silentTimeoutMs = 2000;
    int listings = 100;          // enough for a 99th percentile that is not just the slowest

    static Scale quick()
    {
        Scale s;
        s.blocks = 2;
        s.roundTrips = 20;
        s.longAnswerRuns = 2;
        s.engineRounds = 5;
        s.openings = 10;
        s.silentTimeoutMs = 500;
        s.listings = 5;
        return s;
    }
};

int g_failures = 0;

// The medians (means where said) of one kind of remote, for the comparison at the end; 0: not
// measured.
struct KindFigures
{
    double bareUs = 0, hidapiUs = 0, tokenApiUs = 0, engineOneUs = 0;
    double longTokenApiMs = 0, longHidapiMs = 0, longEngineMs = 0;
    double backToBackUsPerReport = 0;
    double openP99Us = 0;
};

// A step that did not work: the figures around it mean little.
void failed(const std::string& what)
{
    std::printf("  FAILED: %s\n", what.c_str());
    ++g_failures;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

double usSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

struct Stats
{
    double mean = 0, median = 0, p99 = 0, max = 0;
};

Stats stats(std::vector<double> values)
{
    Stats s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    double sum = 0;
    for (double v : values)
        sum += v;
    s.mean = sum / values.size();
    s.median = values[values.size() / 2];
    // Nearest rank: the smallest value that at least 99% of the values do not exceed.
    s.p99 = values[(values.size() * 99 + 99) / 100 - 1];
    s.max = values.back();
    return s;
}

void printStats(const char* what, const Stats& s)
{
    std::printf("  %-34s mean %8.1f us  median %8.1f us  p99 %8.1f us  max %8.1f us\n", what, s.mean, s.median, s.p99, s.max);
}

// One figure against hidapi's for the same work (medians), next to the goal it is held to.
void printAgainstHidapi(const char* what, double ours, double hidapi, double goal, const char* goalText)
{
    const double ratio = hidapi > 0 ? ours / hidapi : 0;
    std::printf("  %s against hidapi: x%.3f (%.1f vs %.1f us); goal %s: %s\n", what, ratio, ours, hidapi, goalText,
                verdict(ratio > 0 && ratio <= goal));
}

// Each time the thread went to sleep and was woken again.
long wakeUps()
{
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// The one remote the library lists, attached, with its pipe attached (not opened).
struct Remote
{
    long device = 0;
    long pipe = 0;
    std::string node;

    explicit Remote(const std::string& id)
    {
        node = "/dev/" + RemoteProcess::hidrawOf(id);
        long* tokens = nullptr;
        int count = 0;
        hidlet::GetCandidateHidletTokens(&tokens, &count);
        if (count >= 1)
            device = tokens[0];
        delete[] tokens;
        hidlet::AttachDevice(device);
        long* pipes = nullptr;
        count = 0;
        hidlet::GetCandidateIoPipeTokens(device, &pipes, &count);
        if (count >= 1)
            pipe = pipes[0];
        delete[] pipes;
        hidlet::AttachChannel(device, pipe);
    }
    ~Remote()
    {
        hidlet::CloseChannel(pipe);
        hidlet::DetachChannel(pipe);
        hidlet::DetachDevice(device);
    }
};

// One write/poll/read round trip straight on /dev/hidrawN (unnumbered: 0x00 first).
bool bareRoundTrip(int fd, const unsigned char* report, unsigned char* answer)
{
    unsigned char out[65] = {0};
    std::memcpy(out + 1, report, 64);
    if (write(fd, out, sizeof out) != static_cast<ssize_t>(sizeof out))
        return false;
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 2000) != 1)
        return false;
    return read(fd, answer, 64) == 64;
}

void roundTrips(RemoteKind kind, int blocks, int rounds, KindFigures& figures)
{
    std::printf("round trip of one 64-byte report (echo remote, unnumbered), %d alternating blocks of %d rounds:\n", blocks,
                rounds);
    RemoteProcess echo(kind, "id=echo,reply=echo", false, {"echo"}, true);
    Remote remote("echo");
    unsigned char report[64], answer[64];
    for (int i = 0; i < 64; ++i)
        report[i] = static_cast<unsigned char>(i);
    std::vector<double> bare, peer, api;
    // Alternating blocks, so drift of the machine hits every side alike. Only one side has the
    // device open at a time: every open descriptor gets its own copy of each input report.
    for (int block = 0; block < blocks; ++block) {
        const int fd = open(remote.node.c_str(), O_RDWR | O_CLOEXEC);
        for (int i = 0; i < rounds && fd >= 0; ++i) {
            const Clock::time_point start = Clock::now();
            if (!bareRoundTrip(fd, report, answer))
                failed("bare round trip");
            bare.push_back(usSince(start));
        }
        if (fd >= 0)
            close(fd);
        {
            HidapiPeer hidapi(remote.node);
            if (!hidapi.ok())
                failed("hid_open_path");
            for (int i = 0; i < rounds && hidapi.ok(); ++i) {
                const Clock::time_point start = Clock::now();
                if (!hidapi.roundTrip(report, answer))
                    failed("hidapi round trip");
                peer.push_back(usSince(start));
            }
        }
        hidlet::OpenChannel(remote.pipe);
        for (int i = 0; i < rounds; ++i) {
            const Clock::time_point start = Clock::now();
            if (hidlet::Write(remote.pipe, report, 64) != 0 || hidlet::Read(remote.pipe, answer, 64, 2000) != 0)
                failed("token API round trip");
            api.push_back(usSince(start));
        }
        hidlet::CloseChannel(remote.pipe);
    }
    const Stats b = stats(bare), h = stats(peer), a = stats(api);
    printStats("bare write/poll/read", b);
    printStats("hidapi hid_write + hid_read_timeout", h);
    printStats("token API Write + Read", a);
    std::printf("  added by the library: %.1f us per round trip (median %.1f us), %.1f us per report; ratio %.3f\n",
                a.mean - b.mean, a.median - b.median, (a.mean - b.mean) / 2, a.mean / b.mean);
    const double perReport = (a.median - b.median) / 2;
    std::printf("  goal < 50 us added per report (median %.1f us): %s\n", perReport, verdict(perReport < 50));
    printAgainstHidapi("token API round trip", a.median, h.median, 1.05, "within 5% of hidapi");
    figures.bareUs = b.median;
    figures.hidapiUs = h.median;
    figures.tokenApiUs = a.median;
}

// hidapi sends the request and reads an answer of that many reports, each within a second.
void hidapiAnswer(HidapiPeer& hidapi, const unsigned char* request, int reports)
{
    if (!hidapi.write(request))
        failed("hidapi write");
    unsigned char report[64];
    int got = 0;
    while (got < reports && hidapi.read(report, 1000))
        ++got;
    if (got != reports)
        failed("hidapi read " + std::to_string(got) + " of " + std::to_string(reports) + " reports");
}

// The read of the original design: non-blocking polls of the queue, 10 ms sleeps between empty
// ones, failing after timeout / 10 + 2 empty polls.
bool sleepPollingRead(int fd, unsigned char* report, long timeout)
{
    const long limit = timeout / 10;
    for (long misses = 0;;) {
        if (read(fd, report, 64) == 64)
            return true;
        if (errno != EAGAIN)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (misses > limit)
            return false;
        ++misses;
    }
}

void longAnswer(RemoteKind kind, int runs, KindFigures& figures)
{
    const int reports = 64;
    std::printf("answer of %d reports sent one per millisecond (the remote's own time: %d ms):\n", reports, reports);
    RemoteProcess remoteProcess(kind, "id=long,reply=64,rate=1", false, {"long"}, true);
    Remote remote("long");
    unsigned char request[64] = {0x42};
    unsigned char report[64];
    double apiMs = 0, peerMs = 0, pollingMs = 0, firstMs = 0;
    int pollingLost = 0;
    for (int run = 0; run < runs; ++run) {
        hidlet::OpenChannel(remote.pipe);
        Clock::time_point start = Clock::now();
        hidlet::Write(remote.pipe, request, 64);
        int got = 0;
        for (int i = 0; i < reports; ++i) {
            if (hidlet::Read(remote.pipe, report, 64, 1000) != 0)
                break;
            if (i == 0)
                firstMs += usSince(start) / 1000;
            ++got;
        }
        apiMs += usSince(start) / 1000;
        if (got != reports)
            failed("token API read " + std::to_string(got) + " of " + std::to_string(reports) + " reports");
        hidlet::CloseChannel(remote.pipe);

        {
            HidapiPeer hidapi(remote.node);
            start = Clock::now();
            hidapiAnswer(hidapi, request, reports);
            peerMs += usSince(start) / 1000;
        }

        const int fd = open(remote.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        unsigned char out[65] = {0, 0x42};
        start = Clock::now();
        if (write(fd, out, sizeof out) != static_cast<ssize_t>(sizeof out))
            failed("bare write");
        got = 0;
        for (int i = 0; i < reports && sleepPollingRead(fd, report, 1000); ++i)
            ++got;
        pollingMs += usSince(start) / 1000;
        // The baseline's own weakness, not a failed step: a sleep stretched past the kernel's queue
        // of 64 reports (a busy machine) loses the oldest ones.
        pollingLost += reports - got;
        close(fd);
    }
    apiMs /= runs;
    peerMs /= runs;
    pollingMs /= runs;
    std::printf("  token API (poll() wait):       %7.1f ms, %.2f x the remote's time (first report after %.2f ms)\n",
                apiMs, apiMs / reports, firstMs / runs);
    std::printf("  hidapi (hid_read_timeout):     %7.1f ms, %.2f x the remote's time\n", peerMs, peerMs / reports);
    std::printf("  sleep-polling read (10 ms):    %7.1f ms, %.2f x the remote's time", pollingMs, pollingMs / reports);
    std::printf(pollingLost > 0 ? " (lost %d of %d reports)\n" : "\n", pollingLost, reports * runs);
    std::printf("  goal: within 10%% of the remote's time: %s (hidapi: %s, the sleep-polling read: %s)\n",
                verdict(apiMs / reports <= 1.10), verdict(peerMs / reports <= 1.10),
                verdict(pollingMs / reports <= 1.10));
    std::printf("  token API against hidapi: x%.3f (%.1f vs %.1f ms)\n", apiMs / peerMs, apiMs, peerMs);
    figures.longTokenApiMs = apiMs;
    figures.longHidapiMs = peerMs;
}

// An answer the remote sends as fast as the device takes it: what the kernel's path of the
// remote's kind allows (on USB, the host controller's polling of the interrupt endpoint).
// hidraw keeps at most 63 reports per reader: a uhid remote's burst of 64 loses one whenever the
// reader is not scheduled before the last arrives (one CPU), which would time the scheduler and a
// one-second read, not the path; a burst of 32 always fits.
constexpr int kBackToBackReports = 32;

void backToBack(RemoteKind kind, int runs, KindFigures& figures)
{
    const int reports = kBackToBackReports;
    std::printf("answer of %d reports sent back to back, read with the token API:\n", reports);
    RemoteProcess remoteProcess(kind, "id=burst,reply=" + std::to_string(reports), false, {"burst"}, true);
    Remote remote("burst");
    unsigned char request[64] = {0x42};
    unsigned char report[64];
    std::vector<double> took;
    hidlet::OpenChannel(remote.pipe);
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        hidlet::Write(remote.pipe, request, 64);
        int got = 0;
        while (got < reports && hidlet::Read(remote.pipe, report, 64, 1000) == 0)
            ++got;
        took.push_back(usSince(start));
        if (got != reports)
            failed("token API read " + std::to_string(got) + " of " + std::to_string(reports) + " reports");
    }
    hidlet::CloseChannel(remote.pipe);
    const Stats t = stats(took);
    std::printf("  median %.1f ms, %.1f us per report\n", t.median / 1000, t.median / reports);
    figures.backToBackUsPerReport = t.median / reports;
}

// Lists the remotes and gives the device path of the first one ("" when there is none).
std::string firstDevicePath(ISuperSimpleDummyEngine& engine)
{
    const std::string list = engine.getDevicesInfo();
    const std::string key = "device_id=";
    if (list.compare(0, key.size(), key) != 0)
        return std::string();
    return list.substr(key.size(), list.find(";;") - key.size());
}

// One engine command to its final answer, polled as fast as the caller can; true on success.
bool engineCommand(ISuperSimpleDummyEngine& engine, const std::string& device, const std::string& request, int packets,
                   std::string* answer = nullptr)
{
    for (bool first = true;; first = false) {
        char* response = nullptr;
        const int code = engine.execute(device, first ? request.c_str() : "", packets, response, "", 2000);
        if (code >= 0 && answer)
            *answer = response ? response : "";
        delete[] response;
        if (code >= 0)
            return code == 0;
        std::this_thread::yield();
    }
}

// A whole engine command (execute, worker, channel, token API) against the bare round trip and
// against hidapi doing the same reports, and a 64-report answer through the engine against the
// remote's own time and against hidapi reading it.
void engineCommands(RemoteKind kind, int blocks, int rounds, int longAnswerRuns, KindFigures& figures)
{
    const int reports = 16;
    std::printf("engine command of %d 64-byte reports (echo remote, unnumbered) against %d bare round trips\n"
                "and %d hidapi round trips; a command of one report against one hidapi round trip;\n"
                "%d alternating blocks of %d rounds:\n",
                reports, reports, reports, blocks, rounds);
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.addHidlet(kVendor, kProduct);
    const std::string request(128, '5');
    const std::string longRequest(128 * reports, '5');
    std::vector<double> bare, peer, peerSingle, viaEngine, single;
    {
        RemoteProcess echo(kind, "id=echo2,reply=echo", false, {"echo2"}, true);
        const std::string node = "/dev/" + RemoteProcess::hidrawOf("echo2");
        unsigned char report[64], answer[64];
        std::memset(report, 0x55, sizeof report);
        // Alternating blocks; the engine's remote is released between its blocks, so only one
        // side has the device open at a time.
        for (int block = 0; block < blocks; ++block) {
            const int fd = open(node.c_str(), O_RDWR | O_CLOEXEC);
            for (int i = 0; i < rounds && fd >= 0; ++i) {
                const Clock::time_point start = Clock::now();
                for (int r = 0; r < reports; ++r)
                    if (!bareRoundTrip(fd, report, answer))
                        failed("bare round trip");
                bare.push_back(usSince(start));
            }
            if (fd >= 0)
                close(fd);
            {
                HidapiPeer hidapi(node);
                if (!hidapi.ok())
                    failed("hid_open_path");
                for (int i = 0; i < rounds && hidapi.ok(); ++i) {
                    Clock::time_point start = Clock::now();
                    for (int r = 0; r < reports; ++r)
                        if (!hidapi.roundTrip(report, answer))
                            failed("hidapi round trip");
                    peer.push_back(usSince(start));
                    start = Clock::now();
                    if (!hidapi.roundTrip(report, answer))
                        failed("hidapi round trip");
                    peerSingle.push_back(usSince(start));
                }
            }
            const std::string device = firstDevicePath(engine);
            for (int i = 0; i < rounds; ++i) {
                Clock::time_point start = Clock::now();
                if (!engineCommand(engine, device, longRequest, reports))
                    failed("engine command");
                viaEngine.push_back(usSince(start));
                start = Clock::now();
                if (!engineCommand(engine, device, request, 1))
                    failed("engine command");
                single.push_back(usSince(start));
            }
            engine.cleanupAll();
        }
    }
    const Stats b = stats(bare), h = stats(peer), hOne = stats(peerSingle), e = stats(viaEngine), one = stats(single);
    printStats("bare write/poll/read, 16 reports", b);
    printStats("hidapi, 16 round trips", h);
    printStats("engine command, 16 reports", e);
    printStats("hidapi, 1 round trip", hOne);
    printStats("engine command, 1 report", one);
    const double added = (e.median - b.median) / reports;
    std::printf("  added by the whole stack per report: %.1f us (medians: %.1f vs %.1f us per report); goal < 50 us: %s\n",
                added, e.median / reports, b.median / reports, verdict(added < 50));
    std::printf("  engine command of 16 reports against hidapi: x%.3f (%.1f us per report more)\n", e.median / h.median,
                (e.median - h.median) / reports);
    printAgainstHidapi("engine command of 1 report", one.median, hOne.median, 1.5, "within 1.5x of hidapi");
    std::printf("  a command of one report takes %.1f us more than one hidapi round trip (median): the hand-over\n"
                "  to the worker thread and back, on %u emulated CPU(s)\n", one.median - hOne.median,
                std::thread::hardware_concurrency());

    std::printf("answer of 64 reports at one per millisecond through the engine and through hidapi\n"
                "(the remote's own time: 64 ms):\n");
    RemoteProcess longAnswer(kind, "id=long2,reply=64,delay=1,rate=1", false, {"long2"}, true);
    const std::string node = "/dev/" + RemoteProcess::hidrawOf("long2");
    std::vector<double> took, peerTook;
    for (int run = 0; run < longAnswerRuns; ++run) {
        const std::string device = firstDevicePath(engine);
        std::string answer;
        Clock::time_point start = Clock::now();
        if (!engineCommand(engine, device, request, 64, &answer) || answer.size() != 64 * 128)
            failed("engine answer of " + std::to_string(answer.size()) + " characters");
        took.push_back(usSince(start));
        engine.cleanupAll();

        HidapiPeer hidapi(node);
        unsigned char out[64];
        std::memset(out, 0x55, sizeof out);
        start = Clock::now();
        hidapiAnswer(hidapi, out, 64);
        peerTook.push_back(usSince(start));
    }
    const Stats t = stats(took), p = stats(peerTook);
    std::printf("  engine command: median %.1f ms, %.3f x the remote's time; goal within 10%%: %s\n", t.median / 1000,
                t.median / 64000, verdict(t.median / 64000 <= 1.10));
    std::printf("  hidapi: median %.1f ms, %.3f x the remote's time\n", p.median / 1000, p.median / 64000);
    std::printf("  engine command against hidapi: x%.3f\n", t.median / p.median);
    figures.engineOneUs = one.median;
    figures.longEngineMs = t.median / 1000;
}

void opening(RemoteKind kind, int rounds, KindFigures& figures)
{
    std::printf("opening a channel, %d times:\n", rounds);
    RemoteProcess remoteProcess(kind, "id=open", false, {"open"}, true);
    Remote remote("open");
    std::vector<double> bare, api;
    for (int i = 0; i < rounds; ++i) {
        Clock::time_point start = Clock::now();
        const int fd = open(remote.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        bare.push_back(usSince(start));
        close(fd);
        start = Clock::now();
        if (!hidlet::OpenChannel(remote.pipe))
            failed("OpenChannel");
        api.push_back(usSince(start));
        hidlet::CloseChannel(remote.pipe);
    }
    const Stats b = stats(bare), a = stats(api);
    printStats("bare open() of /dev/hidrawN", b);
    printStats("OpenChannel", a);
    std::printf("  OpenChannel p99 %.1f us, %.1f us over the bare open(); goal < 10 ms: %s\n", a.p99, a.p99 - b.p99,
                verdict(a.p99 < 10000));
    figures.openP99Us = a.p99;
}

void silentWait(long timeout)
{
    std::printf("a read waiting %ld ms on a silent remote (wake-ups of the reading thread):\n", timeout);
    RemoteProcess remoteProcess(RemoteKind::Uhid, "id=quiet,reply=silent", false, {"quiet"}, true);
    Remote remote("quiet");
    hidlet::OpenChannel(remote.pipe);
    unsigned char report[64];
    long apiWakeUps = 0, pollingWakeUps = 0;
    double apiMs = 0, pollingMs = 0;
    std::thread([&] {
        const long before = wakeUps();
        const Clock::time_point start = Clock::now();
        if (hidlet::Read(remote.pipe, report, 64, timeout) != 102)
            failed("the silent remote's read did not time out");
        apiMs = usSince(start) / 1000;
        apiWakeUps = wakeUps() - before;
    }).join();
    hidlet::CloseChannel(remote.pipe);
    std::thread([&] {
        const int fd = open(remote.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        const long before = wakeUps();
        const Clock::time_point start = Clock::now();
        sleepPollingRead(fd, report, timeout);
        pollingMs = usSince(start) / 1000;
        pollingWakeUps = wakeUps() - before;
        close(fd);
    }).join();
    std::printf("  token API Read:       %4ld wake-ups in %.0f ms\n", apiWakeUps, apiMs);
    std::printf("  sleep-polling read:   %4ld wake-ups in %.0f ms\n", pollingWakeUps, pollingMs);
    // Sleeping once until the time-out is one wake-up; anything periodic gives many.
    std::printf("  goal: no periodic wake-ups (at most 2 in the whole wait; the sleep-polling read has %ld): %s\n",
                pollingWakeUps, verdict(apiWakeUps <= 2));
}

// Each round plugs 16 remotes the library has never seen and lists them: first as new devices,
// then again while the listing holds them, then once more after each was attached and released
// (a released device is met as a new object again).
void listing(int rounds)
{
    const int remotes = 16;
    std::printf("listing %d remotes (GetCandidateHidletTokens), %d rounds of %d newly plugged remotes:\n", remotes,
                rounds, remotes);
    std::vector<double> first, again, released;
    const auto list = [remotes](std::vector<double>& took) {
        long* tokens = nullptr;
        int count = 0;
        const Clock::time_point start = Clock::now();
        hidlet::GetCandidateHidletTokens(&tokens, &count);
        took.push_back(usSince(start));
        if (count != remotes)
            failed("listed " + std::to_string(count) + " remotes");
        std::vector<long> listed(tokens, tokens + (tokens ? count : 0));
        delete[] tokens;
        return listed;
    };
    // Round 0 is not counted: it is the process's first listing, which also pays for the first use
    // of the listing's code (its symbols bound, its caches filled): twice a later one or more.
    std::vector<double> warmUp;
    for (int round = 0; round <= rounds; ++round) {
        std::string description;
        std::vector<std::string> ids;
        for (int i = 0; i < remotes; ++i) {
            ids.push_back("n" + std::to_string(round) + "r" + std::to_string(i));
            description += "id=" + ids.back() + ";";
        }
        RemoteProcess remoteProcess(RemoteKind::Uhid, description, false, ids, true);
        if (!remoteProcess.ready())
            failed("plugging " + std::to_string(remotes) + " remotes");
        // Attached and detached, each listed device is released: the next listing meets it as a
        // new object, and no object of this round outlives its remotes.
        const auto release = [](const std::vector<long>& tokens) {
            for (long token : tokens) {
                hidlet::AttachDevice(token);
                hidlet::DetachDevice(token);
            }
        };
        list(round == 0 ? warmUp : first);
        release(list(round == 0 ? warmUp : again));
        release(list(round == 0 ? warmUp : released));
    }
    const Stats f = stats(first), a = stats(again), r = stats(released);
    printStats("first listing (new devices)", f);
    printStats("listing again (devices held)", a);
    printStats("listing after release", r);
    if (!warmUp.empty())
        std::printf("  not counted: the process's first listing (round 0), %.1f us\n", warmUp.front());
    std::printf("  goal < 5 ms for %d remotes (p99): first listing %s, listing again %s, after release %s\n", remotes,
                verdict(f.p99 < 5000), verdict(a.p99 < 5000), verdict(r.p99 < 5000));
}

// The figures of the two kinds of remote next to each other.
void printSideBySide(const KindFigures& uhid, const KindFigures& usb)
{
    std::printf("\nuhid and USB remotes side by side (the figures above):\n"
                "  %-44s %12s %12s %8s\n", "", "uhid remote", "USB remote", "USB/uhid");
    const auto row = [](const std::string& what, double a, double b, const char* unit) {
        if (a > 0 || b > 0)
            std::printf("  %-44s %9.1f %-2s %9.1f %-2s %8.2f\n", what.c_str(), a, unit, b, unit, a > 0 ? b / a : 0);
    };
    row("bare hidraw round trip (median)", uhid.bareUs, usb.bareUs, "us");
    row("hidapi round trip (median)", uhid.hidapiUs, usb.hidapiUs, "us");
    row("token API round trip (median)", uhid.tokenApiUs, usb.tokenApiUs, "us");
    row("engine command of one report (median)", uhid.engineOneUs, usb.engineOneUs, "us");
    row("64 reports at one per ms, token API (mean)", uhid.longTokenApiMs, usb.longTokenApiMs, "ms");
    row("64 reports at one per ms, hidapi (mean)", uhid.longHidapiMs, usb.longHidapiMs, "ms");
    row("64 reports at one per ms, engine (median)", uhid.longEngineMs, usb.longEngineMs, "ms");
    row(std::to_string(kBackToBackReports) + " reports back to back, per report (median)", uhid.backToBackUsPerReport,
        usb.backToBackUsPerReport, "us");
    row("OpenChannel (p99)", uhid.openP99Us, usb.openP99Us, "us");
    std::printf("  (the 64-report answers against the remote's own time: 64 ms)\n");
}

} // namespace

int main(int argc, char** argv)
{
    // The parts by name; none named: every part.
    const char* const partNames[] = {"round-trip", "long-answer", "engine", "opening", "silent", "listing"};
    bool quick = false;
    std::vector<std::string> parts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
            continue;
        }
        if (std::find(std::begin(partNames), std::end(partNames), arg) == std::end(partNames)) {
            std::fprintf(stderr, "usage: hidraw-bench [--quick] [round-trip|long-answer|engine|opening|silent|listing]...\n");
            return 2;
        }
        parts.push_back(arg);
    }
    const auto runs = [&parts](const char* part) {
        return parts.empty() || std::find(parts.begin(), parts.end(), part) != parts.end();
    };
    const Scale scale = quick ? Scale::quick() : Scale();
    if (access("/dev/uhid", W_OK) != 0) {
        std::fprintf(stderr, "hidraw-bench: needs /dev/uhid: run it in the test VM (bench/hidraw/run_in_vm.sh)\n");
        return 1;
    }
    // The VM reads programs from a shared folder of the host: a page of code or data fetched
    // from there in the middle of a timed step costs a millisecond or so. Everything mapped
    // now and later stays in memory; not under a sanitizer, whose shadow memory is terabytes of
    // address space (and whose figures mean nothing anyway).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    if (mlockall(MCL_CURRENT | MCL_FUTURE) != 0)
        std::fprintf(stderr, "hidraw-bench: mlockall failed (%s); page faults may show in the figures\n", std::strerror(errno));
#endif
    if (!HidapiPeer::start()) {
        std::fprintf(stderr, "hidraw-bench: hid_init failed\n");
        return 1;
    }
    hidlet::AddHidlet(kVendor, kProduct);
    std::printf("hidraw-bench%s: %u CPU(s)\n", quick ? " --quick" : "", std::thread::hardware_concurrency());
    std::vector<RemoteKind> kinds = {RemoteKind::Uhid};
    if (RemoteProcess::available(RemoteKind::Usb))
        kinds.push_back(RemoteKind::Usb);
    else
        std::printf("no USB remote here (no USB device controller or no configfs): uhid remote only\n");
    KindFigures figures[2];
    for (RemoteKind kind : kinds) {
        std::printf("\n== %s\n", kind == RemoteKind::Usb
                                       ? "USB remote: a USB HID gadget on a dummy_hcd controller, driven by usbhid"
                                       : "uhid remote: a virtual HID device, no USB below it");
        KindFigures& f = figures[kind == RemoteKind::Usb ? 1 : 0];
        if (runs("round-trip"))
            roundTrips(kind, scale.blocks, scale.roundTrips, f);
        if (runs("long-answer")) {
            longAnswer(kind, scale.longAnswerRuns, f);
            backToBack(kind, scale.longAnswerRuns, f);
        }
        if (runs("engine"))
            engineCommands(kind, scale.blocks, scale.engineRounds, scale.longAnswerRuns, f);
        if (runs("opening"))
            opening(kind, scale.openings, f);
    }
    if (runs("silent") || runs("listing"))
        std::printf("\n== uhid remotes only\n");
    if (runs("silent"))
        silentWait(scale.silentTimeoutMs);
    if (runs("listing"))
        listing(scale.listings);
    if (kinds.size() == 2)
        printSideBySide(figures[0], figures[1]);
    HidapiPeer::stop();
    std::printf("hidraw-bench: %d step(s) failed\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
