// A stand-in for libKVE: the same factory symbol and engine interface, with answers scripted by the
// test and every call recorded as text ("execute|<device>|<request>|<packets>|<end>|<timeout>|...").
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeEngineControl.h"
#include "SuperSimpleEngineFactory.h"

#define FAKE_ENGINE_EXPORT extern "C" __attribute__((visibility("default")))

namespace superstupiddummyengine = quorvex::lumora::client::corvane::superstupiddummyengine;

namespace {

struct Answer {
    int behaviour;
    std::string text;
};

std::mutex mutex;
std::vector<std::string> calls;
std::map<std::string, std::deque<Answer>> scripted;
int factoryBehaviour = FAKE_FACTORY_ENGINE;
unsigned factoryCalls = 0;
size_t enginesCreated = 0;

std::string show(const char* text)
{
    return text ? text : "(null)";
}

// Takes the next scripted answer of `operation`; without one the engine answers null.
Answer nextAnswer(const std::string& operation)
{
    auto& queue = scripted[operation];
    if (queue.empty())
        return Answer{FAKE_ANSWER_NULL, ""};
    Answer answer = queue.front();
    queue.pop_front();
    return answer;
}

void failIfScripted(const Answer& answer)
{
    if (answer.behaviour == FAKE_THROW_STD)
        throw std::runtime_error("fake engine failure");
    if (answer.behaviour == FAKE_THROW_OTHER)
        throw 42;
}

// Records the call, then answers through `response` as the real engine does (a new[] copy).
int answerThrough(const std::string& record, const std::string& operation, char*& response)
{
    Answer answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(record + (response ? "|slot=set" : "|slot=null"));
        answer = nextAnswer(operation);
    }
    if (answer.behaviour == FAKE_ANSWER_TEXT) {
        response = new char[answer.text.size() + 1];
        answer.text.copy(response, answer.text.size());
        response[answer.text.size()] = '\0';
    }
    failIfScripted(answer);
    return 0;
}

class FakeEngine : public superstupiddummyengine::ISuperSimpleDummyEngine {
public:
    std::string getDevicesInfo() override
    {
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(mutex);
            calls.push_back("getDevicesInfo");
            answer = nextAnswer("getDevicesInfo");
        }
        failIfScripted(answer);
        return answer.text;
    }

    void addHidlet(long vendorId, long productId) override
    {
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(mutex);
            calls.push_back("addHidlet|" + std::to_string(vendorId) + "|" + std::to_string(productId));
            answer = nextAnswer("addHidlet");
        }
        failIfScripted(answer);
    }

    int execute(std::string deviceId, const char* request, int responsePackets, char*& response,
                const char* endPacket, long timeout) override
    {
        return answerThrough("execute|" + deviceId + "|" + show(request) + "|" + std::to_string(responsePackets) + "|"
                                 + show(endPacket) + "|" + std::to_string(timeout),
                             "execute", response);
    }

    int cancel(std::string deviceId, char*& response) override
    {
        return answerThrough("cancel|" + deviceId, "cancel", response);
    }

    int cleanupRemote(std::string deviceId, char*& response) override
    {
        return answerThrough("cleanupRemote|" + deviceId, "cleanupRemote", response);
    }

    int cleanupAll() override
    {
        Answer answer;
        {
            std::lock_guard<std::mutex> lock(mutex);
            calls.push_back("cleanupAll");
            answer = nextAnswer("cleanupAll");
        }
        failIfScripted(answer);
        return 0;
    }
};

} // namespace

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace superstupiddummyengine {

ISuperSimpleDummyEngine* SuperSimpleEngineFactory::superSimpleDummyEngine = nullptr;

ISuperSimpleDummyEngine* SuperSimpleEngineFactory::createSuperSimpleDummyEngine()
{
    std::lock_guard<std::mutex> lock(mutex);
    ++factoryCalls;
    if (factoryBehaviour == FAKE_FACTORY_NULL)
        return nullptr;
    if (factoryBehaviour == FAKE_FACTORY_THROW)
        throw std::runtime_error("fake engine cannot start");
    if (!superSimpleDummyEngine) {
        superSimpleDummyEngine = new FakeEngine;
        ++enginesCreated;
    }
    return superSimpleDummyEngine;
}

}}}}} // namespace quorvex::lumora::client::corvane::superstupiddummyengine

FAKE_ENGINE_EXPORT void fake_engine_reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
    scripted.clear();
    factoryBehaviour = FAKE_FACTORY_ENGINE;
    factoryCalls = 0;
}

FAKE_ENGINE_EXPORT void fake_engine_queue(const char* operation, int behaviour, const char* text)
{
    std::lock_guard<std::mutex> lock(mutex);
    scripted[operation].push_back(Answer{behaviour, text ? text : ""});
}

FAKE_ENGINE_EXPORT void fake_engine_set_factory(int behaviour)
{
    std::lock_guard<std::mutex> lock(mutex);
    factoryBehaviour = behaviour;
}

FAKE_ENGINE_EXPORT size_t fake_engine_call_count()
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls.size();
}

FAKE_ENGINE_EXPORT const char* fake_engine_call(size_t index)
{
    std::lock_guard<std::mutex> lock(mutex);
    return index < calls.size() ? calls[index].c_str() : nullptr;
}

FAKE_ENGINE_EXPORT unsigned fake_engine_factory_calls()
{
    std::lock_guard<std::mutex> lock(mutex);
    return factoryCalls;
}

FAKE_ENGINE_EXPORT size_t fake_engine_engines()
{
    std::lock_guard<std::mutex> lock(mutex);
    return enginesCreated;
}
