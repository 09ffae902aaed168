#include "PlayerMain.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <poll.h>
#include <signal.h>
#include <time.h>

#include "RemotePlayer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

std::string descriptionText(const std::string& argument)
{
    if (argument.empty() || argument[0] != '@')
        return argument;
    std::ifstream in(argument.substr(1).c_str());
    if (!in)
        throw std::runtime_error("cannot read " + argument.substr(1));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void warnOfUnplayableKeys(const PlayerBackend& backend, const sim::SimRemoteScript& script)
{
    const std::vector<UnplayableKey> unplayable = backend.unplayableKeys();
    for (const std::string& key : script.keys) {
        for (const UnplayableKey& u : unplayable) {
            if (key == u.key)
                std::cerr << backend.program() << ": warning: " << script.id << ": " << key << "= has no effect: " << u.why
                          << "\n";
        }
    }
}

timespec until(RemotePlayer::Clock::time_point due, RemotePlayer::Clock::time_point now)
{
    const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(due - now).count();
    timespec t;
    t.tv_sec = static_cast<time_t>(ns / 1000000000LL);
    t.tv_nsec = static_cast<long>(ns % 1000000000LL);
    return t;
}

// Signals stay blocked except while waiting in ppoll, so a stop request is never missed.
int run(const char* program, const std::vector<std::unique_ptr<RemotePlayer> >& players, const sigset_t& waitMask)
{
    typedef RemotePlayer::Clock Clock;
    while (!g_stop) {
        Clock::time_point now = Clock::now();
        Clock::time_point next = Clock::time_point::max();
        for (const auto& player : players)
            next = std::min(next, player->runDue(now));
        std::vector<pollfd> fds;
        std::vector<RemotePlayer*> owners;
        for (const auto& player : players) {
            if (player->fd() >= 0) {
                fds.push_back(pollfd{player->fd(), player->events(), 0});
                owners.push_back(player.get());
            }
        }
        now = Clock::now();
        timespec wait;
        const bool timed = next != Clock::time_point::max();
        if (timed)
            wait = next > now ? until(next, now) : timespec{0, 0};
        const int ready = ::ppoll(fds.data(), fds.size(), timed ? &wait : nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "%s: poll: %s\n", program, std::strerror(errno));
            return 1;
        }
        now = Clock::now();
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents)
                owners[i]->onReady(fds[i].revents, now);
        }
    }
    for (const auto& player : players) {
        std::printf("%s: %s: %ld output reports received, %ld input reports sent\n", program, player->script().id.c_str(),
                    player->outputs(), player->inputs());
    }
    return 0;
}

} // namespace

int playRemotes(int argc, char** argv, PlayerBackend& backend)
{
    bool numbered = false;
    std::string description;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-n" || arg == "--numbered") {
            numbered = true;
        } else if (arg == "-q" || arg == "--quiet") {
            std::freopen("/dev/null", "w", stdout);
        } else if (arg == "-h" || arg == "--help") {
            std::cout << backend.usage();
            return 0;
        } else if (arg.compare(0, 2, "--") == 0 && i + 1 < argc && backend.takeOption(arg, argv[i + 1])) {
            ++i;
        } else if (description.empty() && !arg.empty() && arg[0] != '-') {
            description = arg;
        } else {
            std::cerr << backend.usage();
            return 2;
        }
    }
    if (description.empty()) {
        std::cerr << backend.usage();
        return 2;
    }

    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, signal);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, onSignal);
    // Log lines to a reader that went away are not worth ending for: the remotes would go with it.
    std::signal(SIGPIPE, SIG_IGN);

    // Declared before the players' devices are made, destroyed after them.
    std::vector<std::unique_ptr<RemotePlayer> > players;
    try {
        const std::vector<sim::SimRemoteScript> scripts = sim::parseSimRemotes(descriptionText(description));
        if (scripts.empty())
            throw std::invalid_argument("the description has no remote");
        for (const sim::SimRemoteScript& script : scripts) {
            if (numbered && (script.inputSize < 2 || script.outputSize < 2))
                throw std::invalid_argument(script.id + ": numbered reports need in and out of 2 bytes or more");
            warnOfUnplayableKeys(backend, script);
        }
        backend.prepare(scripts, numbered);
        for (const sim::SimRemoteScript& script : scripts)
            players.emplace_back(new RemotePlayer(script, numbered, backend.makeDevice(script, numbered), backend.program()));
        for (const auto& player : players)
            player->plug();
    } catch (const std::exception& e) {
        std::cerr << backend.program() << ": " << e.what() << "\n";
        return 1;
    }
    return run(backend.program(), players, waitMask);
}
