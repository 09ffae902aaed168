// Drives an engine the way a page does: execute, then poll with execute until the answer is
// final.
#ifndef ENGINE_TESTS_ENGINEDRIVER_H
#define ENGINE_TESTS_ENGINEDRIVER_H

#include <string>
#include <vector>

#include "ISuperSimpleDummyEngine.h"

namespace engine_test {

using quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;

struct Answer
{
    int code;
    std::string text;
};

// One execute call.
Answer execute(ISuperSimpleDummyEngine& engine, const std::string& device, const char* request, int packets,
               const char* endPacket, long timeout);

struct Outcome
{
    Answer first;           // the answer to the call that created the command
    Answer final;           // the first answer that was no longer in progress
    bool sawInProgress;     // a poll answered -1
    bool answersWellFormed; // every in-progress answer carried its exact text
};

// Creates a command and polls every millisecond until its final answer (at most 120 s).
Outcome run(ISuperSimpleDummyEngine& engine, const std::string& device, const char* request, int packets,
            const char* endPacket, long timeout);

// Polls a command that already exists until its final answer.
Answer finish(ISuperSimpleDummyEngine& engine, const std::string& device, bool* sawInProgress = nullptr);

// The device paths of a device list, in order.
std::vector<std::string> devicePaths(const std::string& list);

// n bytes of request as hexadecimal text, from a seed.
std::string hexRequest(size_t bytes, int seed);

} // namespace engine_test

#endif
