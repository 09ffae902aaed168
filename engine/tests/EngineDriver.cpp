#include "EngineDriver.h"

#include <chrono>
#include <thread>
#include <vector>

#include "response/ResponseRepository.h"

namespace engine_test {

using quorvex::lumora::client::corvane::response::ResponseRepository;

Answer execute(ISuperSimpleDummyEngine& engine, const std::string& device, const char* request, int packets,
               const char* endPacket, long timeout)
{
    char* response = nullptr;
    const int code = engine.execute(device, request, packets, response, endPacket, timeout);
    Answer answer{code, response ? response : "(null)"};
    delete[] response;
    return answer;
}

Answer finish(ISuperSimpleDummyEngine& engine, const std::string& device, bool* sawInProgress)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        const Answer a = execute(engine, device, "", 0, "", 0);
        if (a.code >= 0 || std::chrono::steady_clock::now() > deadline)
            return a;
        if (a.code == -1 && sawInProgress)
            *sawInProgress = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

Outcome run(ISuperSimpleDummyEngine& engine, const std::string& device, const char* request, int packets,
            const char* endPacket, long timeout)
{
    Outcome outcome{execute(engine, device, request, packets, endPacket, timeout), {0, ""}, false, true};
    if (outcome.first.code >= 0) {
        outcome.final = outcome.first;
        return outcome;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        const Answer a = execute(engine, device, "", 0, "", 0);
        if (a.code >= 0 || std::chrono::steady_clock::now() > deadline) {
            outcome.final = a;
            return outcome;
        }
        if (a.code == -1)
            outcome.sawInProgress = true;
        char* expected = nullptr;
        ResponseRepository::createDynamicErrorMessage(expected, a.code, "");
        if (a.text != expected)
            outcome.answersWellFormed = false;
        delete[] expected;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::vector<std::string> devicePaths(const std::string& list)
{
    std::vector<std::string> paths;
    std::string rest = list;
    while (!rest.empty()) {
        paths.push_back(ResponseRepository::getDeviceId(rest));
        const std::string::size_type end = rest.find("||");
        if (end == std::string::npos)
            break;
        rest.erase(0, end + 2);
    }
    return paths;
}

std::string hexRequest(size_t bytes, int seed)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes; ++i) {
        const unsigned v = static_cast<unsigned>(seed * 131 + i * 17 + 3) & 0xFF;
        text += digits[v >> 4];
        text += digits[v & 0xF];
    }
    return text;
}

} // namespace engine_test
