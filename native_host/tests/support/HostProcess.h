// The built remote-bridge-host as a child process, driven over pipes as a browser drives it.
#ifndef NATIVE_HOST_TESTS_HOSTPROCESS_H
#define NATIVE_HOST_TESTS_HOSTPROCESS_H

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include <nlohmann/json.hpp>

namespace native_host_tests {

class HostProcess {
public:
    using Duration = std::chrono::steady_clock::duration;

    // Starts the host with these variables added to the environment (e.g. "HIDLET_SIM=@file").
    explicit HostProcess(const std::vector<std::string>& environment);
    // Closes the host's input and waits for it; kills it if it does not end.
    ~HostProcess();

    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    void sendRaw(const std::string& bytes);
    void sendFrame(const std::string& payload);

    // Sends {"id", "method", "args"} (args is JSON text) and returns the answer to it; events that
    // come first are kept for nextEvent(). A null json when no answer came in time.
    nlohmann::json call(const std::string& method, const std::string& argsJson = "[]");
    // The next message of any kind (answers and events in order), or nullopt after timeout.
    std::optional<nlohmann::json> nextMessage(Duration timeout = std::chrono::seconds(10));
    // The next event (kept ones first), or nullopt after timeout.
    std::optional<nlohmann::json> nextEvent(Duration timeout = std::chrono::seconds(10));
    // Drops the events received so far.
    void dropEvents() { events_.clear(); }

    void closeInput();
    // The exit status, or -1 when the host has not ended in time (or ended by a signal).
    int waitExit(Duration timeout = std::chrono::seconds(10));

    pid_t pid() const { return pid_; }
    // Voluntary context switches of all the host's threads, or of its main thread alone (whose
    // loop serves the browser), and its CPU time so far.
    long contextSwitches() const;
    long mainThreadContextSwitches() const;
    Duration cpuTime() const;

private:
    std::optional<std::string> readFrame(Duration timeout);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int status_ = -2;
    long nextId_ = 1;
    std::string buffer_;
    std::deque<nlohmann::json> events_;
};

// A path in a fresh temporary folder (removed with the folder at the end of the test program).
std::string temporaryPath(const std::string& name);
void writeFile(const std::string& path, const std::string& text);

} // namespace native_host_tests

#endif
