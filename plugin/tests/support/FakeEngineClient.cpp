#include "FakeEngineClient.h"

#include <dlfcn.h>
#include <stdexcept>

namespace device_plugin_tests {
namespace {

template <typename Function>
Function lookUp(void* handle, const char* name)
{
    void* symbol = dlsym(handle, name);
    if (!symbol)
        throw std::runtime_error(std::string("fake engine lacks ") + name);
    return reinterpret_cast<Function>(symbol);
}

} // namespace

std::string fakeEngineDirectory()
{
    return FAKE_ENGINE_DIR;
}

std::string pluginUnderTest()
{
    return fakeEngineDirectory() + "/device-plugin.so";
}

std::string macModelsPluginUnderTest()
{
    return fakeEngineDirectory() + "/device-plugin-macos.so";
}

FakeEngineClient::FakeEngineClient()
{
    const std::string path = fakeEngineDirectory() + "/libKVE.so";
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw std::runtime_error("cannot load " + path + ": " + dlerror());
    reset_ = lookUp<fake_engine_reset_fn>(handle_, "fake_engine_reset");
    queue_ = lookUp<fake_engine_queue_fn>(handle_, "fake_engine_queue");
    setFactory_ = lookUp<fake_engine_set_factory_fn>(handle_, "fake_engine_set_factory");
    callCount_ = lookUp<fake_engine_call_count_fn>(handle_, "fake_engine_call_count");
    call_ = lookUp<fake_engine_call_fn>(handle_, "fake_engine_call");
    factoryCalls_ = lookUp<fake_engine_factory_calls_fn>(handle_, "fake_engine_factory_calls");
    engines_ = lookUp<fake_engine_engines_fn>(handle_, "fake_engine_engines");
    reset_();
}

FakeEngineClient::~FakeEngineClient()
{
    dlclose(handle_);
}

void FakeEngineClient::reset()
{
    reset_();
}

void FakeEngineClient::queue(const std::string& operation, int behaviour, const std::string& text)
{
    queue_(operation.c_str(), behaviour, text.c_str());
}

void FakeEngineClient::setFactory(int behaviour)
{
    setFactory_(behaviour);
}

std::vector<std::string> FakeEngineClient::calls() const
{
    std::vector<std::string> result;
    for (size_t i = 0, count = callCount_(); i < count; ++i)
        result.emplace_back(call_(i));
    return result;
}

unsigned FakeEngineClient::factoryCalls() const
{
    return factoryCalls_();
}

size_t FakeEngineClient::enginesCreated() const
{
    return engines_();
}

} // namespace device_plugin_tests
