// A plug-in shared object, loaded and started the way a browser does.
#ifndef NPHOST_PLUGINMODULE_H
#define NPHOST_PLUGINMODULE_H

#include <string>

#include <npapi/npfunctions.h>

namespace nphost {

class Browser;

// How the plug-in's function table is obtained: the Unix way (NP_Initialize fills it), or through
// NP_GetEntryPoints before NP_Initialize receives the browser's table alone.
enum class EntryConvention { Unix, SeparateEntryPoints };

class PluginModule {
public:
    // Throws HostError when the file cannot be loaded, an entry point is missing or the plug-in
    // refuses to initialise.
    PluginModule(Browser& browser, const std::string& path, EntryConvention convention = EntryConvention::Unix);
    // NP_Shutdown, then unload (a plug-in linked to stay mapped stays).
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    Browser& browser() { return browser_; }
    const NPPluginFuncs& functions() const { return functions_; }
    const std::string& path() const { return path_; }
    std::string mimeDescription() const;
    // The first MIME type of the description: what an embedding element would name.
    std::string mimeType() const;
    // NP_GetValue for the name and description strings (empty when the plug-in has none).
    std::string describe(NPPVariable variable) const;
    void* symbol(const char* name) const;

private:
    Browser& browser_;
    std::string path_;
    void* handle_ = nullptr;
    NPPluginFuncs functions_;
};

} // namespace nphost

#endif
