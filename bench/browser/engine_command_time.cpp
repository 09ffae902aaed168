// browser-bench-engine: the engine's own time for one command, the baseline of the browser
// benchmark. Runs the command ROUNDS times through libKVE directly (the factory and the engine
// interface, polling as fast as the caller can) on the remotes of HIDLET_SIM, and prints each
// round's time from the first call to the final answer in microseconds, one per line.
//
//   browser-bench-engine DEVICE REQUEST PACKETS ROUNDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "SuperSimpleEngineFactory.h"

using quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;
using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: browser-bench-engine DEVICE REQUEST PACKETS ROUNDS\n");
        return 2;
    }
    const std::string device = argv[1];
    const std::string request = argv[2];
    const int packets = std::atoi(argv[3]);
    const int rounds = std::atoi(argv[4]);
    ISuperSimpleDummyEngine& engine = *SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    engine.addHidlet(0x1234, 0x5678);
    engine.getDevicesInfo();
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        int code = -1;
        std::string answer;
        for (bool first = true; code < 0; first = false) {
            char* response = nullptr;
            code = engine.execute(device, first ? request.c_str() : "", packets, response, "", 5000);
            if (code >= 0 && response)
                answer = response;
            delete[] response;
            if (code < 0)
                std::this_thread::yield();
        }
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        if (code != 0) {
            std::fprintf(stderr, "browser-bench-engine: the command ended with %s\n", answer.c_str());
            return 1;
        }
        std::printf("%.1f\n", took.count());
    }
    engine.cleanupAll();
    return 0;
}
