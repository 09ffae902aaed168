#include "ScriptMethods.h"

#include <cstring>
#include <string>

#include "ArgumentConversion.h"
#include "ResultText.h"

namespace device_plugin {
namespace {

// The pattern of the methods that address one remote: the engine answers through an out-parameter
// that it allocates with new[]; the plug-in copies that answer to the page and frees it.
template <typename CallEngine>
void callForRemote(const char* deviceId, const char* nullResponseText, NPVariant* result, CallEngine callEngine)
{
    char* response = nullptr;
    bool failed = deviceId == nullptr || m_Skve == nullptr;
    if (!failed) {
        try {
            callEngine(*m_Skve, std::string(deviceId), response);
        } catch (...) {
            failed = true;
        }
    }
    setStringResult(result, failed ? EXCEPTION_TEXT : response ? response : nullResponseText);
    // Also freed when the engine failed after answering: the answer is ours either way.
    delete[] response;
}

void addHidlet(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const long vendorId = intArgument(args, argCount, 0);
    const long productId = intArgument(args, argCount, 1);
    try {
        if (m_Skve)
            m_Skve->addHidlet(vendorId, productId);
    } catch (...) {
        // Registering a device type has no answer to carry a failure; the page sees null either way.
    }
    NULL_TO_NPVARIANT(*result);
}

void getDevices(NPVariant* result)
{
    std::string devices;
    bool failed = m_Skve == nullptr;
    if (!failed) {
        try {
            devices = m_Skve->getDevicesInfo();
        } catch (...) {
            failed = true;
        }
    }
    setStringResult(result, failed ? EXCEPTION_TEXT : devices.c_str());
}

void getAttributeByKey(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const OwnedText key = textArgument(args, argCount, 0);
    if (key && std::strcmp(key.get(), PLUGIN_VERSION_KEY) == 0)
        setStringResult(result, PLUGIN_VERSION);
    else
        NULL_TO_NPVARIANT(*result);
}

void performOperation(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    const OwnedText request = textArgument(args, argCount, 1);
    const int responsePackets = intArgument(args, argCount, 2);
    const long timeout = intArgument(args, argCount, 3);
    const OwnedText endPacket = textArgument(args, argCount, 4);
    callForRemote(deviceId.get(), NULL_RESPONSE_EXECUTE_TEXT, result,
                  [&](Engine& engine, const std::string& id, char*& response) {
                      engine.execute(id, request.get(), responsePackets, response, endPacket.get(), timeout);
                  });
}

void cancelCommand(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    callForRemote(deviceId.get(), NULL_RESPONSE_CANCEL_TEXT, result,
                  [](Engine& engine, const std::string& id, char*& response) { engine.cancel(id, response); });
}

void cleanupRemote(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    const OwnedText deviceId = textArgument(args, argCount, 0);
    callForRemote(deviceId.get(), NULL_RESPONSE_CANCEL_TEXT, result,
                  [](Engine& engine, const std::string& id, char*& response) { engine.cleanupRemote(id, response); });
}

void cleanupAll(NPVariant* result)
{
    // The engine's own code does not change the answer; only a failure does.
    const char* text = CLEANUP_ALL_TEXT;
    try {
        if (m_Skve)
            m_Skve->cleanupAll();
        else
            text = EXCEPTION_TEXT;
    } catch (...) {
        text = EXCEPTION_TEXT;
    }
    setStringResult(result, text);
}

} // namespace

void invokeMethod(MethodIndex method, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    try {
        switch (method) {
        case ADD_HIDLET: return addHidlet(args, argCount, result);
        case GET_DEVICES: return getDevices(result);
        case GET_ATTRIBUTE_BY_KEY: return getAttributeByKey(args, argCount, result);
        case PERFORM_OPERATION: return performOperation(args, argCount, result);
        case CANCEL_COMMAND: return cancelCommand(args, argCount, result);
        case CLEANUP_REMOTE: return cleanupRemote(args, argCount, result);
        case CLEANUP_ALL: return cleanupAll(result);
        }
    } catch (...) {
        // Only copying an argument can get here (out of memory): the call still gets a defined answer.
    }
    if (method == ADD_HIDLET || method == GET_ATTRIBUTE_BY_KEY)
        NULL_TO_NPVARIANT(*result);
    else
        setStringResult(result, EXCEPTION_TEXT);
}

} // namespace device_plugin
