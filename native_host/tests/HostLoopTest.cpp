// The host's loop in this process, over pipes and an engine the test scripts: every way the
// stream ends releases the remotes, and the host's own polls of a command never start one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

#include "Frames.h"
#include "HostLoop.h"
#include "ScriptedEngine.h"

namespace {

using native_host_tests::ScriptedEngine;

struct Pipe {
    int read = -1, write = -1;
    Pipe()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    void closeRead()
    {
        if (read >= 0)
            close(read);
        read = -1;
    }
    void closeWrite()
    {
        if (write >= 0)
            close(write);
        write = -1;
    }
};

void put(int fd, const std::string& bytes)
{
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string frame(const std::string& payload)
{
    return native_host::encodeFrame(payload);
}

const std::string START = frame(R"({"id":1,"method":"performOperation","args":["1","00",1,5000,""]})");

TEST(HostLoopTest, EveryEndOfTheStreamReleasesTheRemotes)
{
    std::signal(SIGPIPE, SIG_IGN);
    const struct {
        const char* what;
        std::string bytes;
        bool closeOutput;
        bool signal;
        int status;
    } cases[] = {
        {"closed between frames", START, false, false, native_host::EXIT_PORT_CLOSED},
        {"a stop signal", START, false, true, native_host::EXIT_PORT_CLOSED},
        {"a frame over the limit", START + std::string("\x01\x00\x10\x00", 4), false, false,
         native_host::EXIT_FRAME_TOO_LARGE},
        {"closed inside a frame", START + frame("{}").substr(0, 5), false, false, native_host::EXIT_FRAME_TRUNCATED},
        {"nobody reads the answers", START, true, false, native_host::EXIT_STREAM_BROKEN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEngine engine;
        engine.inProgressAnswers = 1000000; // still running when the stream ends
        Pipe input, output, stop;
        put(input.write, c.bytes);
        if (c.signal)
            put(stop.write, "!");
        else
            input.closeWrite();
        if (c.closeOutput)
            output.closeRead();
        EXPECT_EQ(native_host::runHost(&engine, input.read, output.write, nullptr, stop.read), c.status);
        EXPECT_EQ(engine.cleanupAllCalls, 1);
        EXPECT_FALSE(engine.running("1"));
    }
}

TEST(HostLoopTest, PollingACommandStartsNoOther)
{
    ScriptedEngine engine;
    engine.inProgressAnswers = 20;
    Pipe input, output;
    put(input.write, START);
    std::thread host([&] { native_host::runHost(&engine, input.read, output.write, nullptr, -1); });
    // The answer, then the pushed final answer, then nothing more: the host stops polling.
    std::string seen;
    char chunk[4096];
    while (seen.find("\"event\":\"answer\"") == std::string::npos) {
        const ssize_t got = read(output.read, chunk, sizeof chunk);
        ASSERT_GT(got, 0);
        seen.append(chunk, static_cast<size_t>(got));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    input.closeWrite();
    host.join();
    EXPECT_EQ(engine.commandsStarted, 1);
    EXPECT_NE(seen.find(R"({"deviceId":"1","event":"answer","result":"00FF"})"), std::string::npos);
}

// The host on a thread of its own, with `meanwhile` done once it had time to fill its output;
// its exit status, or -1 when it had not ended within ten seconds. A host stuck writing is then
// set free by closing its output, so the test goes on.
int statusWithin10s(ScriptedEngine& engine, Pipe& input, Pipe& output, int signalFd,
                    const std::function<void()>& meanwhile)
{
    std::atomic<int> status{-2};
    std::thread host([&] { status = native_host::runHost(&engine, input.read, output.write, nullptr, signalFd); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    meanwhile();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (status == -2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int seen = status == -2 ? -1 : status.load();
    output.closeRead();
    input.closeWrite();
    host.join();
    return seen;
}

TEST(HostLoopTest, ABrowserThatReadsNothingCannotWedgeTheHost)
{
    std::signal(SIGPIPE, SIG_IGN);
    // Each answer is a device list of nearly 1 MiB: two fill the pipe many times over, twenty
    // are more than the host keeps for a browser that does not read.
    const std::string bigList = "device_id=1;;token=7;;padding=" + std::string(900 * 1024, 'A') + "||";
    const std::string list = frame(R"({"id":2,"method":"getDevices"})");
    const struct {
        const char* what;
        int answers;
        bool signal;
        bool closeInput;
        int status;
    } cases[] = {
        {"a stop signal", 2, true, false, native_host::EXIT_PORT_CLOSED},
        {"the stream ends", 2, false, true, native_host::EXIT_PORT_CLOSED},
        {"the answers pile up", 20, false, false, native_host::EXIT_OUTPUT_STALLED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEngine engine;
        engine.devices = bigList;
        Pipe input, output, stop;
        std::string requests = START;
        for (int i = 0; i < c.answers; ++i)
            requests += list;
        put(input.write, requests);
        EXPECT_EQ(statusWithin10s(engine, input, output, stop.read,
                                  [&] {
                                      if (c.signal)
                                          put(stop.write, "!");
                                      if (c.closeInput)
                                          input.closeWrite();
                                  }),
                  c.status);
        EXPECT_EQ(engine.cleanupAllCalls, 1);
        EXPECT_FALSE(engine.running("1"));
    }
}

} // namespace
