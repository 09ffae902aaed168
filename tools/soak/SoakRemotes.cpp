#include "SoakRemotes.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace page_soak {
namespace {

struct Kind {
    const char* name;
    int input;
    int output;
    const char* reply;
    int length;       // bytes of each answer report (the input size unless the remote is broken)
    const char* end;  // end packet, hexadecimal
    const char* more; // further fields of the simulation
};

const Kind kKinds[] = {
    {"echo", 64, 64, "echo", 64, "", ""},
    {"multi-report", 64, 64, "3", 64, "EEEE", "rate=1"},
    {"slow", 64, 64, "2", 64, "", "delay=20, rate=40"},
    {"wrong-length", 64, 64, "2", 7, "", "length=7"},
    {"vanishing", 32, 32, "4", 32, "", "vanish=2, replug=30"},
    {"gone-while-read", 16, 16, "4", 16, "", "vanish=1, replug=10"},
    {"small", 8, 8, "2", 8, "EE", ""},
    {"silent", 64, 64, "silent", 64, "", ""},
};

} // namespace

std::vector<SoakRemote> soakRemotes()
{
    std::vector<SoakRemote> remotes;
    long position = 0;
    for (const Kind& kind : kKinds) {
        const long location = 0x15000000L | (++position << 20);
        SoakRemote remote;
        remote.kind = kind.name;
        remote.simulation = "id=" + remote.kind + ", location=" + std::to_string(location) + ", in="
                            + std::to_string(kind.input) + ", out=" + std::to_string(kind.output) + ", reply=" + kind.reply;
        if (*kind.end)
            remote.simulation += std::string(", end=") + kind.end;
        if (*kind.more)
            remote.simulation += std::string(", ") + kind.more;
        remote.pageArgument = "remote=" + std::to_string(location) + "," + std::to_string(kind.input) + ","
                              + std::to_string(kind.output) + "," + kind.reply + "," + std::to_string(kind.length) + ","
                              + kind.end + "," + remote.kind;
        remotes.push_back(remote);
    }
    return remotes;
}

void writeSimulation(const std::string& path, const std::vector<SoakRemote>& remotes)
{
    const std::string next = path + ".next";
    {
        std::ofstream out(next, std::ios::trunc);
        for (const SoakRemote& remote : remotes)
            if (remote.plugged)
                out << remote.simulation << '\n';
        if (!out)
            throw std::runtime_error("cannot write " + next);
    }
    if (std::rename(next.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot replace " + path);
}

} // namespace page_soak
