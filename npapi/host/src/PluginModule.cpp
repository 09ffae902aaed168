#include "nphost/PluginModule.h"

#include <cstring>
#include <dlfcn.h>

#include "nphost/Browser.h"
#include "nphost/HostError.h"

namespace nphost {

PluginModule::PluginModule(Browser& browser, const std::string& path, EntryConvention convention)
    : browser_(browser), path_(path)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        throw HostError("cannot load " + path + ": " + (reason ? reason : "unknown error"));
    }
    std::memset(&functions_, 0, sizeof functions_);
    functions_.size = sizeof functions_;

    auto initialize = reinterpret_cast<NP_InitializeFunc>(symbol("NP_Initialize"));
    auto getEntryPoints = reinterpret_cast<NP_GetEntryPointsFunc>(symbol("NP_GetEntryPoints"));
    NPError error = NPERR_NO_ERROR;
    if (!initialize) {
        error = NPERR_INVALID_PLUGIN_ERROR;
    } else if (convention == EntryConvention::Unix) {
        error = initialize(browser_.functions(), &functions_);
    } else if (!getEntryPoints) {
        error = NPERR_INVALID_PLUGIN_ERROR;
    } else {
        error = getEntryPoints(&functions_);
        if (error == NPERR_NO_ERROR)
            error = initialize(browser_.functions(), nullptr);
    }
    if (error == NPERR_NO_ERROR && (!functions_.newp || !functions_.destroy || !functions_.getvalue))
        error = NPERR_INVALID_FUNCTABLE_ERROR;
    if (error != NPERR_NO_ERROR) {
        dlclose(handle_);
        throw HostError("plug-in " + path + " did not start (error " + std::to_string(error) + ")");
    }
}

PluginModule::~PluginModule()
{
    if (auto shutdown = reinterpret_cast<NP_ShutdownFunc>(symbol("NP_Shutdown")))
        shutdown();
    dlclose(handle_);
}

void* PluginModule::symbol(const char* name) const
{
    return dlsym(handle_, name);
}

std::string PluginModule::mimeDescription() const
{
    auto describeMime = reinterpret_cast<NP_GetMIMEDescriptionFunc>(symbol("NP_GetMIMEDescription"));
    const char* description = describeMime ? describeMime() : nullptr;
    return description ? description : "";
}

std::string PluginModule::mimeType() const
{
    const std::string description = mimeDescription();
    return description.substr(0, description.find_first_of(":;"));
}

std::string PluginModule::describe(NPPVariable variable) const
{
    auto getValue = reinterpret_cast<NP_GetValueFunc>(symbol("NP_GetValue"));
    const char* text = nullptr;
    if (!getValue || getValue(nullptr, variable, &text) != NPERR_NO_ERROR || !text)
        return "";
    return text;
}

} // namespace nphost
