#include "page_methods/PageMethods.h"

#include <cstring>
#include <string>
#include <utility>

#include "page_methods/ArgumentConversion.h"
#include "page_methods/AnswerTexts.h"

namespace page_methods {
namespace {

// The pattern of the methods that address one remote: the engine answers through an out-parameter
// that it allocates with new[]; that answer becomes the page's.
template <typename CallEngine>
MethodAnswer callForRemote(Engine* engine, const char* deviceId, const char* nullResponseText, CallEngine callEngine)
{
    char* response = nullptr;
    bool failed = deviceId == nullptr || engine == nullptr;
    if (!failed) {
        try {
            callEngine(*engine, std::string(deviceId), response);
        } catch (...) {
            failed = true;
        }
    }
    // Kept and freed with the answer even when the engine failed after answering: it is ours.
    MethodAnswer engineAnswer = MethodAnswer::fromEngine(response);
    if (failed)
        return MethodAnswer::fixed(EXCEPTION_TEXT);
    if (!response)
        return MethodAnswer::fixed(nullResponseText);
    return engineAnswer;
}

MethodAnswer addHidlet(Engine* engine, const ScriptValue* args, uint32_t argCount)
{
    const long vendorId = intArgument(args, argCount, 0);
    const long productId = intArgument(args, argCount, 1);
    try {
        if (engine)
            engine->addHidlet(vendorId, productId);
    } catch (...) {
        // Registering a device type has no answer to carry a failure; the page sees null either way.
    }
    return MethodAnswer::null();
}

MethodAnswer getDevices(Engine* engine)
{
    if (!engine)
        return MethodAnswer::fixed(EXCEPTION_TEXT);
    try {
        return MethodAnswer::fromString(engine->getDevicesInfo());
    } catch (...) {
        return MethodAnswer::fixed(EXCEPTION_TEXT);
    }
}

MethodAnswer getAttributeByKey(const ScriptValue* args, uint32_t argCount)
{
    const OwnedText key = textArgument(args, argCount, 0);
    if (key && std::strcmp(key.get(), PLUGIN_VERSION_KEY) == 0)
        return MethodAnswer::fixed(PLUGIN_VERSION);
    return MethodAnswer::null();
}

MethodAnswer performOperation(Engine* engine, const ScriptValue* args, uint32_t argCount)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    const OwnedText request = textArgument(args, argCount, 1);
    const int responsePackets = intArgument(args, argCount, 2);
    const long timeout = intArgument(args, argCount, 3);
    const OwnedText endPacket = textArgument(args, argCount, 4);
    return callForRemote(engine, deviceId.get(), NULL_RESPONSE_EXECUTE_TEXT,
                         [&](Engine& e, const std::string& id, char*& response) {
                             e.execute(id, request.get(), responsePackets, response, endPacket.get(), timeout);
                         });
}

MethodAnswer cancelCommand(Engine* engine, const ScriptValue* args, uint32_t argCount)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    return callForRemote(engine, deviceId.get(), NULL_RESPONSE_CANCEL_TEXT,
                         [](Engine& e, const std::string& id, char*& response) { e.cancel(id, response); });
}

MethodAnswer cleanupRemote(Engine* engine, const ScriptValue* args, uint32_t argCount)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    return callForRemote(engine, deviceId.get(), NULL_RESPONSE_CANCEL_TEXT,
                         [](Engine& e, const std::string& id, char*& response) { e.cleanupRemote(id, response); });
}

MethodAnswer cleanupAll(Engine* engine)
{
    // The engine's own code does not change the answer; only a failure does.
    if (!engine)
        return MethodAnswer::fixed(EXCEPTION_TEXT);
    try {
        engine->cleanupAll();
    } catch (...) {
        return MethodAnswer::fixed(EXCEPTION_TEXT);
    }
    return MethodAnswer::fixed(CLEANUP_ALL_TEXT);
}

} // namespace

MethodAnswer invokeMethod(Engine* engine, MethodIndex method, const ScriptValue* args, uint32_t argCount) noexcept
{
    try {
        switch (method) {
        case ADD_HIDLET: return addHidlet(engine, args, argCount);
        case GET_DEVICES: return getDevices(engine);
        case GET_ATTRIBUTE_BY_KEY: return getAttributeByKey(args, argCount);
        case PERFORM_OPERATION: return performOperation(engine, args, argCount);
        case CANCEL_COMMAND: return cancelCommand(engine, args, argCount);
        case CLEANUP_REMOTE: return cleanupRemote(engine, args, argCount);
        case CLEANUP_ALL: return cleanupAll(engine);
        }
    } catch (...) {
        // Only copying an argument can get here (out of memory): the call still gets a defined answer.
    }
    if (method == ADD_HIDLET || method == GET_ATTRIBUTE_BY_KEY)
        return MethodAnswer::null();
    return MethodAnswer::fixed(EXCEPTION_TEXT);
}

} // namespace page_methods
