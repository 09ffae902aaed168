#include "nphost/Page.h"

#include "nphost/Browser.h"
#include "nphost/PluginModule.h"

namespace nphost {

Page::Page(PluginModule& module, std::ostream& out, std::ostream& err)
    : module_(module), script_(std::make_unique<ScriptContext>(out, err))
{
    script_->setEmbedder([this](const std::string& mimeType, std::string& error) { return embed(mimeType, error); });
    script_->setIdleHook([&browser = module.browser()] { browser.runAsyncCalls(); });
}

Page::~Page()
{
    script_.reset();
    while (!instances_.empty())
        instances_.pop_back();
}

PluginInstance& Page::addInstance(const std::string& mimeType)
{
    instances_.push_back(std::make_unique<PluginInstance>(module_, mimeType.empty() ? module_.mimeType() : mimeType));
    return *instances_.back();
}

uint64_t Page::instanceObjects() const
{
    uint64_t count = 0;
    for (const auto& instance : instances_)
        count += instance->npp()->pdata ? 1 : 0;
    return count;
}

ObjectRef Page::embed(const std::string& mimeType, std::string& error)
{
    PluginInstance& instance = addInstance(mimeType);
    if (instance.creationResult() != NPERR_NO_ERROR) {
        error = "the plug-in refused the instance (error " + std::to_string(instance.creationResult()) + ")";
        return ObjectRef();
    }
    ObjectRef object = instance.scriptableObject();
    if (!object)
        error = "the plug-in has no scriptable object";
    return object;
}

} // namespace nphost
