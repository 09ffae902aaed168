// The running commands the host started and polls itself until their final answer, with the
// moment each is to be polled again. A young command is polled often, so that a short answer
// reaches the page soon after the remote gave it; a long one less often, so that polling it costs
// little.
#ifndef NATIVE_HOST_RUNNINGCOMMANDS_H
#define NATIVE_HOST_RUNNINGCOMMANDS_H

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace native_host {

class RunningCommands {
public:
    using Clock = std::chrono::steady_clock;

    // How long after a poll a command of this age is polled again.
    static Clock::duration pollInterval(Clock::duration age);

    void add(const std::string& deviceId, Clock::time_point now);
    // Polled now and still running: schedules the next poll.
    void polled(const std::string& deviceId, Clock::time_point now);
    void forget(const std::string& deviceId) { commands_.erase(deviceId); }
    void forgetAll() { commands_.clear(); }

    bool empty() const { return commands_.empty(); }
    bool contains(const std::string& deviceId) const { return commands_.count(deviceId) != 0; }
    // The devices whose command is due for a poll at now, in device order.
    std::vector<std::string> due(Clock::time_point now) const;
    // The earliest moment a command is due (only meaningful when not empty).
    Clock::time_point nextDue() const;

private:
    struct Command {
        Clock::time_point started;
        Clock::time_point due;
    };
    std::map<std::string, Command> commands_;
};

} // namespace native_host

#endif
