#include "RunningCommands.h"

namespace native_host {

using std::chrono::microseconds;
using std::chrono::milliseconds;

RunningCommands::Clock::duration RunningCommands::pollInterval(Clock::duration age)
{
    // A one-report exchange takes about a millisecond; 64 reports at one per millisecond take
    // 64 ms. Polling every 0.2 ms early on adds at most that to a short answer; backing off to
    // 1 ms keeps a long command to about a thousand polls a second.
    if (age < milliseconds(20))
        return microseconds(200);
    if (age < milliseconds(200))
        return microseconds(500);
    return milliseconds(1);
}

void RunningCommands::add(const std::string& deviceId, Clock::time_point now)
{
    commands_[deviceId] = Command{now, now + pollInterval(Clock::duration::zero())};
}

void RunningCommands::polled(const std::string& deviceId, Clock::time_point now)
{
    const auto found = commands_.find(deviceId);
    if (found != commands_.end())
        found->second.due = now + pollInterval(now - found->second.started);
}

std::vector<std::string> RunningCommands::due(Clock::time_point now) const
{
    std::vector<std::string> devices;
    for (const auto& [deviceId, command] : commands_)
        if (command.due <= now)
            devices.push_back(deviceId);
    return devices;
}

RunningCommands::Clock::time_point RunningCommands::nextDue() const
{
    Clock::time_point earliest = Clock::time_point::max();
    for (const auto& entry : commands_)
        if (entry.second.due < earliest)
            earliest = entry.second.due;
    return earliest;
}

} // namespace native_host
