// The host's side of one browser port: it answers each request with what the page object's method
// returns, follows the commands it started until their final answer and pushes that answer, and
// pushes the device list when the remotes present change. Everything runs on the caller's thread,
// which is the only one that calls the engine.
#ifndef NATIVE_HOST_HOSTSESSION_H
#define NATIVE_HOST_HOSTSESSION_H

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "FollowedCommands.h"
#include "page_methods/PageMethods.h"

namespace native_host {

class HostSession {
public:
    using Clock = FollowedCommands::Clock;
    using Send = std::function<void(const std::string& message)>;

    // engine may be null (it could not be started); every method then answers as the plug-in does.
    HostSession(page_methods::Engine* engine, Send send);

    // One frame from the browser: exactly one answer is sent for it.
    void handleFrame(const std::string& payload, Clock::time_point now);

    // The remotes present may have changed. The list is taken at once when no command is followed;
    // otherwise once the followed commands have ended (a removed remote's command ends within a
    // read), or LISTING_DELAY later at the latest, so that their answers are collected first.
    void devicesMayHaveChanged(Clock::time_point now);

    // Looks at the followed commands that are due and takes a listing that waits.
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
    void lookAt(const std::string& deviceId, Clock::time_point now);
    void listDevices();
    // Sends the list when it differs from the last one the browser got.
    void noteDevices(const std::string& devices, bool send);

    page_methods::Engine* engine_;
    Send send_;
    FollowedCommands followed_;
    std::map<std::string, std::string> kept_; // uncollected final answers by device
    std::optional<std::string> lastDevices_;
    std::optional<Clock::time_point> listingDue_;
};

} // namespace native_host

#endif
