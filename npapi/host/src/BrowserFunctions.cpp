#include "BrowserFunctions.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "nphost/Browser.h"
#include "nphost/Identifiers.h"
#include "nphost/MemoryLedger.h"
#include "nphost/ObjectRegistry.h"

namespace nphost {
namespace {

std::mutex exceptionMutex;
std::string pendingException;

// ---- memory ----
void* memAlloc(uint32_t size) { return MemoryLedger::instance().allocate(size); }
void memFree(void* block) { MemoryLedger::instance().free(block); }
uint32_t memFlush(uint32_t) { return 0; }

// ---- browser settings ----
const char* userAgent(NPP instance)
{
    const Browser* browser = Browser::of(instance);
    return browser ? browser->userAgent().c_str() : Browser::DEFAULT_USER_AGENT;
}

NPError getValue(NPP instance, NPNVariable variable, void* value)
{
    const Browser* browser = Browser::of(instance);
    return browser ? browser->getValue(variable, value) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError setValue(NPP instance, NPPVariable variable, void* value)
{
    Browser* browser = Browser::of(instance);
    return browser ? browser->setValue(instance, variable, value) : NPERR_INVALID_INSTANCE_ERROR;
}

void pluginThreadAsyncCall(NPP instance, void (*function)(void*), void* userData)
{
    if (Browser* browser = Browser::of(instance))
        browser->queueAsyncCall([function, userData] { function(userData); });
}

// ---- identifiers ----
void getStringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* identifiers)
{
    std::vector<std::string> asked;
    for (int32_t i = 0; i < count; ++i) {
        identifiers[i] = names[i] ? IdentifierTable::instance().stringIdentifier(names[i]) : nullptr;
        asked.emplace_back(names[i] ? names[i] : "");
    }
    IdentifierTable::instance().recordBulkRequest(std::move(asked));
}

bool identifierIsString(NPIdentifier identifier) { return IdentifierTable::isString(identifier); }

NPUTF8* utf8FromIdentifier(NPIdentifier identifier)
{
    if (!IdentifierTable::isString(identifier))
        return nullptr;
    const std::string name = IdentifierTable::name(identifier);
    auto* copy = static_cast<NPUTF8*>(memAlloc(static_cast<uint32_t>(name.size() + 1)));
    if (copy)
        std::memcpy(copy, name.c_str(), name.size() + 1);
    return copy;
}

int32_t intFromIdentifier(NPIdentifier identifier) { return IdentifierTable::number(identifier); }

// ---- objects ----
bool evaluate(NPP, NPObject*, NPString*, NPVariant*) { return false; }

bool enumerate(NPP, NPObject* object, NPIdentifier** identifiers, uint32_t* count)
{
    if (!object || !NP_CLASS_STRUCT_VERSION_HAS_ENUM(object->_class) || !object->_class->enumerate)
        return false;
    return object->_class->enumerate(object, identifiers, count);
}

bool construct(NPP, NPObject* object, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    if (!object || !NP_CLASS_STRUCT_VERSION_HAS_CTOR(object->_class) || !object->_class->construct)
        return false;
    return object->_class->construct(object, args, argCount, result);
}

void setException(NPObject*, const NPUTF8* message)
{
    std::lock_guard<std::mutex> lock(exceptionMutex);
    pendingException = message ? message : "";
}

// ---- services this host does not offer: each fails the way a browser without it would ----
NPError getUrl(NPP, const char*, const char*) { return NPERR_GENERIC_ERROR; }
NPError postUrl(NPP, const char*, const char*, uint32_t, const char*, NPBool) { return NPERR_GENERIC_ERROR; }
NPError requestRead(NPStream*, NPByteRange*) { return NPERR_GENERIC_ERROR; }
NPError newStream(NPP, NPMIMEType, const char*, NPStream**) { return NPERR_GENERIC_ERROR; }
int32_t write(NPP, NPStream*, int32_t, void*) { return -1; }
NPError destroyStream(NPP, NPStream*, NPReason) { return NPERR_GENERIC_ERROR; }
void status(NPP, const char*) {}
void reloadPlugins(NPBool) {}
void* getJavaEnv() { return nullptr; }
void* getJavaPeer(NPP) { return nullptr; }
NPError getUrlNotify(NPP, const char*, const char*, void*) { return NPERR_GENERIC_ERROR; }
NPError postUrlNotify(NPP, const char*, const char*, uint32_t, const char*, NPBool, void*) { return NPERR_GENERIC_ERROR; }
void invalidateRect(NPP, NPRect*) {}
void invalidateRegion(NPP, NPRegion) {}
void forceRedraw(NPP) {}
NPIdentifier getIntIdentifierEntry(int32_t number) { return npn::getIntIdentifier(number); }
void pushPopupsEnabledState(NPP, NPBool) {}
void popPopupsEnabledState(NPP) {}
NPError getValueForUrl(NPP, NPNURLVariable, const char*, char**, uint32_t*) { return NPERR_GENERIC_ERROR; }
NPError setValueForUrl(NPP, NPNURLVariable, const char*, const char*, uint32_t) { return NPERR_GENERIC_ERROR; }
NPError getAuthenticationInfo(NPP, const char*, const char*, int32_t, const char*, const char*, char**, uint32_t*,
                              char**, uint32_t*)
{
    return NPERR_GENERIC_ERROR;
}
uint32_t scheduleTimer(NPP, uint32_t, NPBool, void (*)(NPP, uint32_t)) { return 0; }
void unscheduleTimer(NPP, uint32_t) {}
NPError popUpContextMenu(NPP, NPMenu*) { return NPERR_GENERIC_ERROR; }
NPBool convertPoint(NPP, double, double, NPCoordinateSpace, double*, double*, NPCoordinateSpace) { return false; }
NPBool handleEvent(NPP, void*, NPBool) { return false; }
NPBool unfocusInstance(NPP, NPFocusDirection) { return false; }
void urlRedirectResponse(NPP, void*, NPBool) {}
NPError initAsyncSurface(NPP, NPSize*, NPImageFormat, void*, NPAsyncSurface*) { return NPERR_GENERIC_ERROR; }
NPError finalizeAsyncSurface(NPP, NPAsyncSurface*) { return NPERR_GENERIC_ERROR; }
void setCurrentAsyncSurface(NPP, NPAsyncSurface*, NPRect*) {}

} // namespace

std::string takeScriptException()
{
    std::lock_guard<std::mutex> lock(exceptionMutex);
    std::string message;
    message.swap(pendingException);
    return message;
}

namespace npn {

void memFree(void* block) { MemoryLedger::instance().free(block); }

NPIdentifier getStringIdentifier(const NPUTF8* name)
{
    if (!name)
        return nullptr;
    return IdentifierTable::instance().stringIdentifier(name);
}

NPIdentifier getIntIdentifier(int32_t number) { return IdentifierTable::instance().intIdentifier(number); }

NPObject* createObject(NPP npp, NPClass* aClass) { return ObjectRegistry::instance().create(npp, aClass); }

NPObject* retainObject(NPObject* object) { return object ? ObjectRegistry::instance().retain(object) : nullptr; }

void releaseObject(NPObject* object)
{
    if (object)
        ObjectRegistry::instance().release(object);
}

bool invoke(NPP, NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    return object && object->_class->invoke && object->_class->invoke(object, name, args, argCount, result);
}

bool invokeDefault(NPP, NPObject* object, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    return object && object->_class->invokeDefault && object->_class->invokeDefault(object, args, argCount, result);
}

bool getProperty(NPP, NPObject* object, NPIdentifier name, NPVariant* result)
{
    return object && object->_class->getProperty && object->_class->getProperty(object, name, result);
}

bool setProperty(NPP, NPObject* object, NPIdentifier name, const NPVariant* value)
{
    return object && object->_class->setProperty && object->_class->setProperty(object, name, value);
}

bool removeProperty(NPP, NPObject* object, NPIdentifier name)
{
    return object && object->_class->removeProperty && object->_class->removeProperty(object, name);
}

bool hasProperty(NPP, NPObject* object, NPIdentifier name)
{
    return object && object->_class->hasProperty && object->_class->hasProperty(object, name);
}

bool hasMethod(NPP, NPObject* object, NPIdentifier name)
{
    return object && object->_class->hasMethod && object->_class->hasMethod(object, name);
}

// Strings in variants handed to the browser live in browser memory; objects carry a reference.
void releaseVariantValue(NPVariant* variant)
{
    if (!variant)
        return;
    if (NPVARIANT_IS_STRING(*variant))
        memFree(const_cast<NPUTF8*>(NPVARIANT_TO_STRING(*variant).UTF8Characters));
    else if (NPVARIANT_IS_OBJECT(*variant))
        releaseObject(NPVARIANT_TO_OBJECT(*variant));
    VOID_TO_NPVARIANT(*variant);
}

} // namespace npn

void fillBrowserFunctions(NPNetscapeFuncs& f)
{
    std::memset(&f, 0, sizeof f);
    f.size = sizeof f;
    f.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
    f.geturl = getUrl;
    f.posturl = postUrl;
    f.requestread = requestRead;
    f.newstream = newStream;
    f.write = write;
    f.destroystream = destroyStream;
    f.status = status;
    f.uagent = userAgent;
    f.memalloc = memAlloc;
    f.memfree = memFree;
    f.memflush = memFlush;
    f.reloadplugins = reloadPlugins;
    f.getJavaEnv = getJavaEnv;
    f.getJavaPeer = getJavaPeer;
    f.geturlnotify = getUrlNotify;
    f.posturlnotify = postUrlNotify;
    f.getvalue = getValue;
    f.setvalue = setValue;
    f.invalidaterect = invalidateRect;
    f.invalidateregion = invalidateRegion;
    f.forceredraw = forceRedraw;
    f.getstringidentifier = npn::getStringIdentifier;
    f.getstringidentifiers = getStringIdentifiers;
    f.getintidentifier = getIntIdentifierEntry;
    f.identifierisstring = identifierIsString;
    f.utf8fromidentifier = utf8FromIdentifier;
    f.intfromidentifier = intFromIdentifier;
    f.createobject = npn::createObject;
    f.retainobject = npn::retainObject;
    f.releaseobject = npn::releaseObject;
    f.invoke = npn::invoke;
    f.invokeDefault = npn::invokeDefault;
    f.evaluate = evaluate;
    f.getproperty = npn::getProperty;
    f.setproperty = npn::setProperty;
    f.removeproperty = npn::removeProperty;
    f.hasproperty = npn::hasProperty;
    f.hasmethod = npn::hasMethod;
    f.releasevariantvalue = npn::releaseVariantValue;
    f.setexception = setException;
    f.pushpopupsenabledstate = pushPopupsEnabledState;
    f.poppopupsenabledstate = popPopupsEnabledState;
    f.enumerate = enumerate;
    f.pluginthreadasynccall = pluginThreadAsyncCall;
    f.construct = construct;
    f.getvalueforurl = getValueForUrl;
    f.setvalueforurl = setValueForUrl;
    f.getauthenticationinfo = getAuthenticationInfo;
    f.scheduletimer = scheduleTimer;
    f.unscheduletimer = unscheduleTimer;
    f.popupcontextmenu = popUpContextMenu;
    f.convertpoint = convertPoint;
    f.handleevent = handleEvent;
    f.unfocusinstance = unfocusInstance;
    f.urlredirectresponse = urlRedirectResponse;
    f.initasyncsurface = initAsyncSurface;
    f.finalizeasyncsurface = finalizeAsyncSurface;
    f.setcurrentasyncsurface = setCurrentAsyncSurface;
}

} // namespace nphost
