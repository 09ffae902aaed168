// The host's implementations of the browser functions, used by the function table and by the script
// binding (which reaches plug-in objects the way the browser does).
#ifndef NPHOST_BROWSERFUNCTIONS_H
#define NPHOST_BROWSERFUNCTIONS_H

#include <npapi/npfunctions.h>

namespace nphost {

void fillBrowserFunctions(NPNetscapeFuncs& functions);

namespace npn {
void memFree(void* block);
NPIdentifier getStringIdentifier(const NPUTF8* name);
NPIdentifier getIntIdentifier(int32_t number);
NPObject* createObject(NPP npp, NPClass* aClass);
NPObject* retainObject(NPObject* object);
void releaseObject(NPObject* object);
bool invoke(NPP npp, NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t argCount, NPVariant* result);
bool invokeDefault(NPP npp, NPObject* object, const NPVariant* args, uint32_t argCount, NPVariant* result);
bool getProperty(NPP npp, NPObject* object, NPIdentifier name, NPVariant* result);
bool setProperty(NPP npp, NPObject* object, NPIdentifier name, const NPVariant* value);
bool removeProperty(NPP npp, NPObject* object, NPIdentifier name);
bool hasProperty(NPP npp, NPObject* object, NPIdentifier name);
bool hasMethod(NPP npp, NPObject* object, NPIdentifier name);
void releaseVariantValue(NPVariant* variant);
} // namespace npn

} // namespace nphost

#endif
