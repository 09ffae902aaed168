// The host's frame and message reader on any bytes from the browser: the first byte chooses how
// the scripted engine behaves, the second how the stream is cut into reads, the rest is the stream.
//
// Every whole frame must get exactly one answer, in order, carrying its request's integer id (or
// null); every message the host sends must be JSON of the protocol's forms that a browser takes
// (under 1 MiB); a frame over the limit stops the reading for good; the repair of lone surrogates
// leaves JSON that had none as it was. Nothing may throw.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Frames.h"
#include "FuzzInput.h"
#include "HostSession.h"
#include "Messages.h"
#include "ScriptedEngine.h"

namespace {

using nlohmann::json;

// True for an event, false for an answer.
bool checkMessage(const std::string& text)
{
    FUZZ_CHECK(text.size() <= native_host::MAX_OUTGOING_FRAME, "a message of %zu bytes", text.size());
    const json message = json::parse(text, nullptr, false);
    FUZZ_CHECK(message.is_object(), "the host sent what is no JSON object: %s", text.c_str());
    if (message.contains("event")) {
        const std::string event = message["event"].get<std::string>();
        FUZZ_CHECK(event == "answer" || event == "devices", "unknown event %s", event.c_str());
        return true;
    }
    FUZZ_CHECK(message.contains("id") && (message["id"].is_null() || message["id"].is_number_integer()),
               "an answer without a usable id: %s", text.c_str());
    FUZZ_CHECK(message.contains("result") != message.contains("error"), "neither result nor error: %s",
               text.c_str());
    if (message.contains("result"))
        FUZZ_CHECK(message["result"].is_string() || message["result"].is_null(), "result of another type");
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    native_host_tests::ScriptedEngine engine;
    const uint8_t mode = input.byte();
    engine.throws = (mode & 3) == 1;
    engine.leavesAnswersNull = (mode & 3) == 2;
    engine.inProgressAnswers = (mode >> 2) & 3;
    const size_t chunk = 1 + input.byte();
    const std::string stream = input.rest();

    std::vector<std::string> answers;
    native_host::HostSession session(&engine, [&](const std::string& message) {
        if (!checkMessage(message))
            answers.push_back(message);
    });

    native_host::FrameReader reader;
    auto now = native_host::HostSession::Clock::time_point();
    size_t frames = 0;
    bool tooLarge = false;
    std::string payload;
    for (size_t at = 0; at < stream.size() && !tooLarge; at += chunk) {
        reader.append(stream.data() + at, std::min(chunk, stream.size() - at));
        for (;;) {
            const native_host::FrameReader::Status status = reader.next(payload);
            if (status == native_host::FrameReader::NEED_MORE)
                break;
            if (status == native_host::FrameReader::TOO_LARGE) {
                tooLarge = true;
                FUZZ_CHECK(reader.next(payload) == native_host::FrameReader::TOO_LARGE, "the reader went on");
                break;
            }
            ++frames;
            FUZZ_CHECK(payload.size() <= native_host::MAX_INCOMING_FRAME, "a frame over the limit was taken");
            const size_t before = answers.size();
            session.handleFrame(payload, now);
            FUZZ_CHECK(answers.size() == before + 1, "a frame got %zu answers", answers.size() - before);
            const native_host::Request request = native_host::parseRequest(payload);
            // Text the JSON library takes as it is must mean the same after the surrogate repair.
            const json plain = json::parse(payload, nullptr, false);
            if (!plain.is_discarded())
                FUZZ_CHECK(json::parse(native_host::withLoneSurrogatesReplaced(payload), nullptr, false) == plain,
                           "the surrogate repair changed valid JSON");
            FUZZ_CHECK(json::parse(answers.back())["id"] == request.id, "the answer's id is not the request's");
        }
        now += std::chrono::microseconds(300);
        session.onTimer(now);
        if (input.empty() && (at / chunk) % 7 == 3)
            session.devicesMayHaveChanged(now);
    }
    // However the stream ended, the remotes are released.
    session.releaseAll();
    FUZZ_CHECK(engine.cleanupAllCalls >= 1, "the remotes were not released");
    return 0;
}
