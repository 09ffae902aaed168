#include "nphost/PluginInstance.h"

#include <vector>

#include "BrowserFunctions.h"
#include "nphost/ObjectRegistry.h"
#include "nphost/PluginModule.h"

namespace nphost {

PluginInstance::PluginInstance(PluginModule& module, const std::string& mimeType) : module_(module)
{
    npp_.pdata = nullptr;
    npp_.ndata = &module.browser();
    std::vector<char> type(mimeType.begin(), mimeType.end());
    type.push_back('\0');
    char typeName[] = "type";
    char* argn[] = {typeName};
    char* argv[] = {type.data()};
    creationResult_ = module.functions().newp(type.data(), &npp_, NP_EMBED, 1, argn, argv, nullptr);
}

PluginInstance::~PluginInstance()
{
    if (creationResult_ == NPERR_NO_ERROR) {
        NPSavedData* saved = nullptr;
        module_.functions().destroy(&npp_, &saved);
        // Nothing is restored later: saved data goes back to browser memory at once.
        if (saved) {
            npn::memFree(saved->buf);
            npn::memFree(saved);
        }
    }
    ObjectRegistry::instance().reclaimObjectsOf(&npp_);
}

NPError PluginInstance::requestScriptableObject(NPObject** object)
{
    *object = nullptr;
    return module_.functions().getvalue(&npp_, NPPVpluginScriptableNPObject, object);
}

ObjectRef PluginInstance::scriptableObject()
{
    NPObject* object = nullptr;
    if (requestScriptableObject(&object) != NPERR_NO_ERROR)
        return ObjectRef();
    return ObjectRef::adopt(object);
}

} // namespace nphost
