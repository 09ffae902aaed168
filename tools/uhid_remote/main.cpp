// uhid-remote: virtual remotes over /dev/uhid that play the scripted behaviours of the simulated
// remotes (the description text of HIDLET_SIM) on the kernel's real HID stack.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <time.h>

#include "RemotePlayer.h"

namespace {

const char kUsage[] =
    "usage: uhid-remote [-n] [-q] [--uhid PATH] DESCRIPTION | @FILE\n"
    "\n"
    "Creates one virtual USB HID remote per entry of DESCRIPTION (the text HIDLET_SIM takes:\n"
    "remotes separated by ';' or lines, fields key=value separated by ','), and answers its\n"
    "output reports as the simulated remote of that description would, until stopped.\n"
    "  -n, --numbered  reports carry report id 1 (the first byte of every report); default:\n"
    "                  unnumbered reports\n"
    "  -q, --quiet     print only errors\n"
    "  --uhid PATH     the uhid node (default /dev/uhid)\n"
    "Example: uhid-remote 'id=remote1,vid=0x1234,pid=0x5678,reply=3,end=FF,rate=1'\n"
    "Each remote's HID_UNIQ is its id; it has no USB device above it, so its version reads as\n"
    "-1 through the library and its device path comes from its HID instance: several remotes\n"
    "at once each have a path of their own, a new one when uhid-remote starts again.\n"
    "Keys of the description that a uhid remote cannot play (location, version, open=fail)\n"
    "are taken with a warning on stderr.\n";

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

// Keys of the description that make no difference on a uhid remote, and why.
const struct
{
    const char* key;
    const char* why;
} kUnplayable[] = {
    {"location", "the library takes it from the USB device above, and a uhid remote has none: it reads -1 "
                 "(device path \"-1\")"},
    {"version", "the library takes it from the USB device above, and a uhid remote has none: it reads -1"},
    {"open", "a uhid remote always opens"},
};

void warnOfUnplayableKeys(const sim::SimRemoteScript& script)
{
    for (const std::string& key : script.keys) {
        for (const auto& unplayable : kUnplayable) {
            if (key == unplayable.key)
                std::cerr << "uhid-remote: warning: " << script.id << ": " << key << "= has no effect: " << unplayable.why
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
int run(const std::vector<std::unique_ptr<RemotePlayer> >& players, const sigset_t& waitMask)
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
                fds.push_back(pollfd{player->fd(), POLLIN, 0});
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
            std::perror("uhid-remote: poll");
            return 1;
        }
        now = Clock::now();
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents & POLLIN)
                owners[i]->onReadable(now);
        }
    }
    for (const auto& player : players) {
        std::printf("uhid-remote: %s: %ld output reports received, %ld input reports sent\n",
                    player->script().id.c_str(), player->outputs(), player->inputs());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool numbered = false;
    std::string uhidNode = "/dev/uhid";
    std::string description;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-n" || arg == "--numbered") {
            numbered = true;
        } else if (arg == "-q" || arg == "--quiet") {
            std::freopen("/dev/null", "w", stdout);
        } else if (arg == "--uhid" && i + 1 < argc) {
            uhidNode = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (description.empty() && !arg.empty() && arg[0] != '-') {
            description = arg;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (description.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    std::vector<std::unique_ptr<RemotePlayer> > players;
    try {
        for (const sim::SimRemoteScript& script : sim::parseSimRemotes(descriptionText(description))) {
            if (numbered && (script.inputSize < 2 || script.outputSize < 2))
                throw std::invalid_argument(script.id + ": numbered reports need in and out of 2 bytes or more");
            warnOfUnplayableKeys(script);
            players.emplace_back(new RemotePlayer(script, numbered, uhidNode));
        }
        if (players.empty())
            throw std::invalid_argument("the description has no remote");
        for (const auto& player : players)
            player->plug();
    } catch (const std::exception& e) {
        std::cerr << "uhid-remote: " << e.what() << "\n";
        return 1;
    }
    return run(players, waitMask);
}
