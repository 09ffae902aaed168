// An engine in the test's own process whose answers the test scripts: one device list, commands
// that answer -1 a given number of times before their final text, failures on demand. It counts
// what it was asked, so a test sees what the host did with it.
#ifndef NATIVE_HOST_TESTS_SCRIPTEDENGINE_H
#define NATIVE_HOST_TESTS_SCRIPTEDENGINE_H

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include "ISuperSimpleDummyEngine.h"

namespace native_host_tests {

class ScriptedEngine : public quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine {
public:
    std::string devices = "device_id=1;;token=7||";
    int inProgressAnswers = 2;    // -1 answers before a command's final one
    std::string finalAnswer = "00FF";
    bool throws = false;          // every operation throws
    bool leavesAnswersNull = false;

    int cleanupAllCalls = 0;
    int commandsStarted = 0;

    std::string getDevicesInfo() override
    {
        failIfAsked();
        return devices;
    }

    void addHidlet(long, long) override { failIfAsked(); }

    int execute(std::string deviceId, const char* request, int, char*& response, const char*, long) override
    {
        failIfAsked();
        if (leavesAnswersNull)
            return 0;
        if (devices.find("device_id=" + deviceId + ";;") == std::string::npos)
            return answer(response, 201, "{{201|Lumora remote not found:in KVE::execute}}");
        const auto running = commands_.find(deviceId);
        if (running == commands_.end()) {
            if (!request)
                return answer(response, 200, "{{200|Error in KVE:Request is missing}}");
            commands_[deviceId] = inProgressAnswers;
            ++commandsStarted;
            return answer(response, -2, "{{-2|New command created}}");
        }
        if (running->second-- > 0)
            return answer(response, -1, "{{-1|Command in progress}}");
        commands_.erase(running);
        return answer(response, 0, finalAnswer);
    }

    int cancel(std::string, char*& response) override
    {
        failIfAsked();
        return answer(response, 0, "{{0|Command executed successfully:in KVE::cancel}}");
    }

    int cleanupRemote(std::string deviceId, char*& response) override
    {
        failIfAsked();
        commands_.erase(deviceId);
        return answer(response, 0, "{{0|Command executed successfully:in KVE::cleanupRemote}}");
    }

    int cleanupAll() override
    {
        ++cleanupAllCalls;
        failIfAsked();
        commands_.clear();
        return 0;
    }

    bool running(const std::string& deviceId) const { return commands_.count(deviceId) != 0; }

private:
    void failIfAsked() const
    {
        if (throws)
            throw std::runtime_error("scripted failure");
    }

    static int answer(char*& response, int code, const std::string& text)
    {
        response = new char[text.size() + 1];
        std::memcpy(response, text.c_str(), text.size() + 1);
        return code;
    }

    std::map<std::string, int> commands_;
};

} // namespace native_host_tests

#endif
