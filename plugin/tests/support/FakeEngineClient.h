// The test's handle on the fake libKVE that a plug-in copy beside it loaded.
#ifndef DEVICE_PLUGIN_TESTS_FAKEENGINECLIENT_H
#define DEVICE_PLUGIN_TESTS_FAKEENGINECLIENT_H

#include <string>
#include <vector>

#include "FakeEngineControl.h"

namespace device_plugin_tests {

// Folder of the fake libKVE.so with copies of the plug-in beside it.
std::string fakeEngineDirectory();
// The plug-in as built, next to the fake engine.
std::string pluginUnderTest();
// The same plug-in built to negotiate macOS drawing and event models.
std::string macModelsPluginUnderTest();

class FakeEngineClient {
public:
    FakeEngineClient();
    ~FakeEngineClient();
    FakeEngineClient(const FakeEngineClient&) = delete;
    FakeEngineClient& operator=(const FakeEngineClient&) = delete;

    void reset();
    void queue(const std::string& operation, int behaviour, const std::string& text = "");
    void answerText(const std::string& operation, const std::string& text) { queue(operation, FAKE_ANSWER_TEXT, text); }
    void setFactory(int behaviour);
    std::vector<std::string> calls() const;
    unsigned factoryCalls() const;
    size_t enginesCreated() const;

private:
    void* handle_;
    fake_engine_reset_fn reset_;
    fake_engine_queue_fn queue_;
    fake_engine_set_factory_fn setFactory_;
    fake_engine_call_count_fn callCount_;
    fake_engine_call_fn call_;
    fake_engine_factory_calls_fn factoryCalls_;
    fake_engine_engines_fn engines_;
};

} // namespace device_plugin_tests

#endif
