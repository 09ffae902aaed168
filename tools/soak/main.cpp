// page-soak: page scripts through the host browser and the real plug-in, engine and USB library,
// against simulated remotes that misbehave (silence, slow reports, reports of the wrong length,
// removal in the middle of an answer) and are unplugged and plugged back at random, while the page
// cancels, cleans up, registers device types again, lists remotes and starts new commands.
//
//   page-soak [--operations N] [--seed S] [--time-limit SECONDS] [--plugin PATH]
//
// N page calls (default $SOAK_OPERATIONS, else 2000) with seed S (default $SOAK_SEED, else 1).
// Prints the calls and commands made, the faults injected and the final answers by code. Exits 0
// when all was sound; else 1 (an unsound answer or a command that never ended, or an engine worker
// that spent more than 5% of the run on the CPU), 3 (the page did not finish in time), 4 (browser
// memory or object references left behind) or 2 (usage).
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "PageRunner.h"
#include "SoakRemotes.h"
#include "WorkerCpu.h"

namespace {

struct Settings {
    long operations = 2000;
    long seed = 1;
    double timeLimitSeconds = 900;
    std::string pluginPath;
};

long fromEnvironment(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

bool parse(int argc, char** argv, Settings& settings)
{
    settings.operations = fromEnvironment("SOAK_OPERATIONS", settings.operations);
    settings.seed = fromEnvironment("SOAK_SEED", settings.seed);
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (option == "--operations")
            settings.operations = std::atol(value.c_str());
        else if (option == "--seed")
            settings.seed = std::atol(value.c_str());
        else if (option == "--time-limit")
            settings.timeLimitSeconds = std::atof(value.c_str());
        else if (option == "--plugin")
            settings.pluginPath = value;
        else
            return false;
    }
    return settings.operations > 0 && settings.timeLimitSeconds > 0;
}

// Unplugs a remote and plugs it back in, at random moments, until told to stop.
class PlugChanger {
public:
    PlugChanger(std::string path, std::vector<page_soak::SoakRemote>& remotes, unsigned seed)
        : path_(std::move(path)), remotes_(remotes), random_(seed), thread_([this] { run(); })
    {
    }
    ~PlugChanger() { stop(); }

    void stop()
    {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    long unplugged() const { return unplugged_; }
    long pluggedBack() const { return pluggedBack_; }

private:
    void run()
    {
        std::unique_lock<std::mutex> hold(mutex_);
        for (;;) {
            const auto pause = std::chrono::milliseconds(100 + random_() % 300);
            if (wake_.wait_for(hold, pause, [this] { return stopping_; }))
                return;
            // Two remotes out at most, so that most commands meet a remote that is there.
            size_t out = 0;
            for (const page_soak::SoakRemote& r : remotes_)
                out += r.plugged ? 0 : 1;
            page_soak::SoakRemote* remote = &remotes_[random_() % remotes_.size()];
            while (out >= 2 && remote->plugged)
                remote = &remotes_[random_() % remotes_.size()];
            remote->plugged = !remote->plugged;
            ++(remote->plugged ? pluggedBack_ : unplugged_);
            page_soak::writeSimulation(path_, remotes_);
        }
    }

    std::string path_;
    std::vector<page_soak::SoakRemote>& remotes_;
    std::mt19937 random_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<long> unplugged_{0};
    std::atomic<long> pluggedBack_{0};
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::cerr << "usage: page-soak [--operations N] [--seed S] [--time-limit SECONDS] [--plugin PATH]\n";
        return page_runner::EXIT_USAGE;
    }

    char folder[] = "/tmp/page-soak.XXXXXX";
    if (!mkdtemp(folder)) {
        std::cerr << "page-soak: cannot make a folder for the simulation file\n";
        return page_runner::EXIT_USAGE;
    }
    const std::string simulation = std::string(folder) + "/remotes.sim";
    std::vector<page_soak::SoakRemote> remotes = page_soak::soakRemotes();
    page_soak::writeSimulation(simulation, remotes);
    // The USB library reads its remotes from the file at every listing, from the moment it loads.
    setenv("HIDLET_SIM", ("@" + simulation).c_str(), 1);

    page_runner::Options options;
    options.pluginPath = settings.pluginPath;
    options.pagePath = SOAK_PAGE;
    options.timeLimit = std::chrono::milliseconds(static_cast<long long>(settings.timeLimitSeconds * 1000));
    options.pageArguments = {"operations=" + std::to_string(settings.operations),
                             "seed=" + std::to_string(settings.seed)};
    for (const page_soak::SoakRemote& remote : remotes)
        options.pageArguments.push_back(remote.pageArgument);

    std::cout << "soak: seed " << settings.seed << ", " << settings.operations << " page calls, "
              << remotes.size() << " simulated remotes" << std::endl;
    int code;
    long unplugged, pluggedBack;
    const auto start = std::chrono::steady_clock::now();
    {
        PlugChanger changer(simulation, remotes, static_cast<unsigned>(settings.seed));
        code = page_runner::runPage(options, std::cout, std::cerr);
        changer.stop();
        unplugged = changer.unplugged();
        pluggedBack = changer.pluggedBack();
    }
    std::cout << "soak: remotes unplugged " << unplugged << " times, plugged back " << pluggedBack << " times"
              << std::endl;

    // The engine outlives the page (it lives as long as the process), so its worker can be looked
    // at now. It mostly waits for reports: a sound run keeps it on the CPU for well under 1% of the
    // run, also under the sanitizers. One that spins on a vanished remote burns CPU for as long as
    // the command's time-out and the page's patience allow (10% of the run and more). A loaded
    // machine only stretches the wall time of a sound run, so the bound cannot be missed for load.
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double workerCpu = engine_test::workerCpuSeconds();
    std::cout << "soak: engine worker CPU " << workerCpu << " s in " << wall << " s" << std::endl;
    if (code == page_runner::EXIT_OK && workerCpu > 0.05 * wall) {
        std::cout << "soak: the engine's worker spent more than 5% of the run on the CPU" << std::endl;
        code = page_runner::EXIT_PAGE_ERROR;
    }

    unlink(simulation.c_str());
    unlink((simulation + ".next").c_str());
    rmdir(folder);
    std::cout << (code == page_runner::EXIT_OK ? "soak: passed" : "soak: FAILED with exit code " + std::to_string(code))
              << std::endl;
    return code;
}
