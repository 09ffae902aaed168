// One embedding of a plug-in in a page (an NPP instance).
#ifndef NPHOST_PLUGININSTANCE_H
#define NPHOST_PLUGININSTANCE_H

#include <string>

#include <npapi/npfunctions.h>

#include "nphost/ObjectRef.h"

namespace nphost {

class PluginModule;

class PluginInstance {
public:
    // Calls NPP_New; its answer is kept in creationResult() (the instance exists either way, as the
    // plug-in may have created objects for it).
    PluginInstance(PluginModule& module, const std::string& mimeType);
    // NPP_Destroy when NPP_New succeeded, then reclaims every object created for the instance.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    NPError creationResult() const { return creationResult_; }
    NPP npp() { return &npp_; }
    PluginModule& module() { return module_; }

    // NPP_GetValue(NPPVpluginScriptableNPObject) as it is: the caller holds whatever reference the
    // plug-in handed out with the object.
    NPError requestScriptableObject(NPObject** object);
    // The scriptable object with its handed-out reference (null when there is none).
    ObjectRef scriptableObject();

private:
    PluginModule& module_;
    NPP_t npp_;
    NPError creationResult_;
};

} // namespace nphost

#endif
