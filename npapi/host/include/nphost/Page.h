// A page that embeds a plug-in: its instances and its script. Script's embed() creates an instance
// (NPP_New) and returns the instance's scriptable object (NPP_GetValue).
#ifndef NPHOST_PAGE_H
#define NPHOST_PAGE_H

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "nphost/PluginInstance.h"
#include "nphost/ScriptContext.h"

namespace nphost {

class PluginModule;

class Page {
public:
    Page(PluginModule& module, std::ostream& out, std::ostream& err);
    // The script goes first (releasing what it held), then the instances (NPP_Destroy, reclaiming).
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    ScriptContext& script() { return *script_; }
    // One more embedding element; an empty MIME type means the plug-in's own first type.
    PluginInstance& addInstance(const std::string& mimeType = "");
    size_t instanceCount() const { return instances_.size(); }
    PluginInstance& instance(size_t index) { return *instances_.at(index); }
    // Instances whose plug-in keeps an object of its own (non-null pdata): each such object holds its
    // creation reference until the instance goes, which LeakCheck::problems expects to see dropped.
    uint64_t instanceObjects() const;

private:
    ObjectRef embed(const std::string& mimeType, std::string& error);

    PluginModule& module_;
    std::vector<std::unique_ptr<PluginInstance>> instances_;
    std::unique_ptr<ScriptContext> script_;
};

} // namespace nphost

#endif
