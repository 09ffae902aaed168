// The host's side of one browser port: it answers each request with what the page object's method
// returns, polls the commands it started while they run, keeps each final answer until the page
// collects it and pushes that answer, and pushes the device list when the remotes present change.
// Everything runs on the caller's thread, which is the only one that calls the engine.
#ifndef NATIVE_HOST_HOSTSESSION_H
#define NATIVE_HOST_HOSTSESSION_H

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "RunningCommands.h"
#include "page_methods/PageMethods.h"

namespace native_host {

class HostSession {
public:
    using Clock = RunningCommands::Clock;
    using Send = std::function<void(const std::string& message)>;

    // engine may be null (it could not be started); every method then answers as the plug-in does.
    HostSession(page_methods::Engine* engine, Send send);

    // One frame from the browser: exactly one answer is sent for it.
    void handleFrame(const std::string& payload, Clock::time_point now);

    // The remotes present may have changed. The list is taken at once when no command runs;
    // otherwise once the running commands have ended (a removed remote's command ends within a
    // read), or LISTING_DELAY later at the latest, so that their answers are collected first.
    void devicesMayHaveChanged(Clock::time_point now);

    // Polls the running commands that are due and takes a listing that waits.
    void onTimer(Clock::time_point now);

    // When onTimer wants to run next; Clock::time_point::max() when nothing waits, so the host
    // sleeps until the browser or a device event wakes it.
    Clock::time_point nextWake() const;

    // Releases every remote (the port is gone or cannot be trusted).
    void releaseAll();

    static constexpr std::chrono::milliseconds LISTING_DELAY{100};

private:
    nlohmann::json call(int method, const nlohmann::json& args, Clock::time_point now);
    nlohmann::json performOperation(const std::vector<page_methods::ScriptValue>& values, Clock::time_point now);
    nlohmann::json getDevices();
    void pollRunningCommand(const std::string& deviceId, Clock::time_point now);
    void listDevices();
    // Sends the list when it differs from the last one the browser got.
    void noteDevices(const std::string& devices, bool send);

    page_methods::Engine* engine_;
    Send send_;
    RunningCommands running_;
    std::map<std::string, std::string> uncollectedAnswers_; // final answers by device, until the page collects one
    std::optional<std::string> lastDevices_;
    std::optional<Clock::time_point> listingDue_;
};

} // namespace native_host

#endif
