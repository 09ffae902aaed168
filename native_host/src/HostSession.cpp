#include "HostSession.h"

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "Messages.h"
#include "page_methods/ArgumentConversion.h"
#include "page_methods/AnswerTexts.h"
#include "response/ResponseRepository.h"

namespace native_host {

using nlohmann::json;
using page_methods::MethodAnswer;
using page_methods::ScriptValue;
using quorvex::lumora::client::corvane::response::ResponseRepository;

namespace {

// What the engine answers for a device that has no command when asked with no request: the host
// polls so, so that its poll can never start a command.
const char NO_COMMAND_TEXT[] = "{{200|Error in KVE:Request is missing}}";

MethodAnswer invoke(page_methods::Engine* engine, int method, const std::vector<ScriptValue>& values)
{
    return page_methods::invokeMethod(engine, static_cast<page_methods::MethodIndex>(method), values.data(),
                                        static_cast<uint32_t>(values.size()));
}

std::string textOf(const MethodAnswer& answer)
{
    return answer.isNull() ? std::string() : std::string(answer.text());
}

// The device ids of a device list: the "device_id" attribute of each record.
std::set<std::string> deviceIdsOf(const std::string& devices)
{
    std::set<std::string> ids;
    size_t start = 0;
    for (size_t end; (end = devices.find("||", start)) != std::string::npos; start = end + 2) {
        std::map<std::string, std::string> attributes;
        ResponseRepository::getDeviceAttributes(devices.substr(start, end + 2 - start), attributes);
        const auto id = attributes.find("device_id");
        if (id != attributes.end())
            ids.insert(id->second);
    }
    return ids;
}

} // namespace

HostSession::HostSession(page_methods::Engine* engine, Send send) : engine_(engine), send_(std::move(send)) {}

void HostSession::handleFrame(const std::string& payload, Clock::time_point now)
{
    const Request request = parseRequest(payload);
    if (request.error) {
        send_(errorMessage(request.id, request.error));
        return;
    }
    send_(resultMessage(request.id, call(request.method, request.args, now)));
}

json HostSession::call(int method, const json& args, Clock::time_point now)
{
    const std::vector<ScriptValue> values = scriptValuesOf(args);
    const auto argCount = static_cast<uint32_t>(values.size());
    switch (method) {
    case page_methods::PERFORM_OPERATION: return performOperation(values, now);
    case page_methods::GET_DEVICES: return getDevices();
    case page_methods::CLEANUP_REMOTE:
        // The engine discards the device's command: so does the host, and its uncollected answer.
        if (const auto deviceId = page_methods::textArgument(values.data(), argCount, 0)) {
            uncollectedAnswers_.erase(deviceId.get());
            running_.forget(deviceId.get());
        }
        break;
    case page_methods::CLEANUP_ALL:
        uncollectedAnswers_.clear();
        running_.forgetAll();
        break;
    case TAKE_ANSWER: {
        const auto deviceId = page_methods::textArgument(values.data(), argCount, 0);
        const auto uncollected = deviceId ? uncollectedAnswers_.find(deviceId.get()) : uncollectedAnswers_.end();
        if (uncollected == uncollectedAnswers_.end())
            return json();
        json answer = std::move(uncollected->second);
        uncollectedAnswers_.erase(uncollected);
        return answer;
    }
    default: break;
    }
    return pageText(invoke(engine_, method, values).text());
}

json HostSession::performOperation(const std::vector<ScriptValue>& values, Clock::time_point now)
{
    const auto deviceId = page_methods::textArgument(values.data(), static_cast<uint32_t>(values.size()), 0);
    if (deviceId) {
        // The final answer the host collected stands in for the engine's, once, as if the page had
        // collected it itself.
        const auto uncollected = uncollectedAnswers_.find(deviceId.get());
        if (uncollected != uncollectedAnswers_.end()) {
            json answer = std::move(uncollected->second);
            uncollectedAnswers_.erase(uncollected);
            return answer;
        }
    }
    const MethodAnswer answer = invoke(engine_, page_methods::PERFORM_OPERATION, values);
    if (deviceId) {
        if (ResponseRepository::isInProgress(answer.text())) {
            if (!running_.contains(deviceId.get()))
                running_.add(deviceId.get(), now);
        } else {
            running_.forget(deviceId.get()); // the page collected the final answer itself
        }
    }
    return pageText(answer.text());
}

json HostSession::getDevices()
{
    const MethodAnswer answer = invoke(engine_, page_methods::GET_DEVICES, {});
    const std::string devices = textOf(answer);
    if (std::strcmp(answer.text(), page_methods::EXCEPTION_TEXT) != 0) {
        // A page that lists no longer finds a remote that went, nor its uncollected answer.
        const std::set<std::string> present = deviceIdsOf(devices);
        for (auto it = uncollectedAnswers_.begin(); it != uncollectedAnswers_.end();)
            it = present.count(it->first) ? std::next(it) : uncollectedAnswers_.erase(it);
        noteDevices(devices, false);
    }
    return pageText(answer.text());
}

void HostSession::pollRunningCommand(const std::string& deviceId, Clock::time_point now)
{
    // No request: for a device without a command the engine refuses at once and starts none.
    const std::vector<ScriptValue> values = {
        ScriptValue::makeString(deviceId.data(), static_cast<uint32_t>(deviceId.size())), ScriptValue::makeNull()};
    const MethodAnswer answer = invoke(engine_, page_methods::PERFORM_OPERATION, values);
    const std::string text = textOf(answer);
    if (ResponseRepository::isInProgress(text)) {
        running_.polled(deviceId, now);
        return;
    }
    running_.forget(deviceId);
    if (text == NO_COMMAND_TEXT)
        return; // nothing of ours ran there any more
    uncollectedAnswers_[deviceId] = text;
    send_(answerEvent(deviceId, text));
}

void HostSession::devicesMayHaveChanged(Clock::time_point now)
{
    if (running_.empty()) {
        listDevices();
        return;
    }
    if (!listingDue_)
        listingDue_ = now + LISTING_DELAY;
}

void HostSession::onTimer(Clock::time_point now)
{
    for (const std::string& deviceId : running_.due(now))
        pollRunningCommand(deviceId, now);
    if (listingDue_ && (running_.empty() || now >= *listingDue_))
        listDevices();
}

HostSession::Clock::time_point HostSession::nextWake() const
{
    Clock::time_point wake = running_.empty() ? Clock::time_point::max() : running_.nextDue();
    if (listingDue_ && *listingDue_ < wake)
        wake = *listingDue_;
    return wake;
}

void HostSession::listDevices()
{
    listingDue_.reset();
    const MethodAnswer answer = invoke(engine_, page_methods::GET_DEVICES, {});
    if (std::strcmp(answer.text(), page_methods::EXCEPTION_TEXT) != 0)
        noteDevices(answer.text(), true);
}

void HostSession::noteDevices(const std::string& devices, bool send)
{
    if (lastDevices_ == devices)
        return;
    lastDevices_ = devices;
    if (!send)
        return;
    const std::string event = devicesEvent(devices);
    if (!event.empty())
        send_(event);
}

void HostSession::releaseAll()
{
    uncollectedAnswers_.clear();
    running_.forgetAll();
    invoke(engine_, page_methods::CLEANUP_ALL, {});
}

} // namespace native_host
