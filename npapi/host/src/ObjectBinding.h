// Plug-in objects as script sees them. Each object becomes a Proxy whose traps go through the
// object's class (hasProperty/getProperty, hasMethod/invoke, setProperty, removeProperty); calling the
// object itself goes to invokeDefault. Values cross between script and variants as a browser converts
// them.
#ifndef NPHOST_OBJECTBINDING_H
#define NPHOST_OBJECTBINDING_H

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include <JavaScriptCore/JavaScript.h>
#include <npapi/npruntime.h>

#include "nphost/ObjectRef.h"

namespace nphost {

// What a converted argument list refers to; released when the call is over.
struct ArgumentStorage {
    std::deque<std::string> strings;
    std::vector<ObjectRef> objects;
};

class ObjectBinding {
public:
    explicit ObjectBinding(JSGlobalContextRef ctx);
    // Gives back every reference the wrappers hold; the engine must still be running.
    ~ObjectBinding();
    ObjectBinding(const ObjectBinding&) = delete;
    ObjectBinding& operator=(const ObjectBinding&) = delete;

    // The script object for `object`: the same one every time, holding one reference that is
    // released with the binding (null for an object this browser does not know).
    JSValueRef valueOf(NPObject* object);

    void toVariant(JSContextRef ctx, JSValueRef value, NPVariant& variant, ArgumentStorage& storage);
    // Does not take over the variant: the caller still releases it.
    JSValueRef valueOf(JSContextRef ctx, const NPVariant& variant);

private:
    struct Wrapper {
        ObjectBinding* binding;
        NPObject* object;
        uint64_t serial;
        JSObjectRef proxy;
        bool released;
    };
    // What a method read from a wrapper calls: the wrapper's object and the method's name.
    struct Method {
        Wrapper* wrapper;
        NPIdentifier name;
    };

    static NPIdentifier identifierOf(JSContextRef ctx, JSValueRef key);
    static bool throwPendingException(JSContextRef ctx, JSValueRef* exception);
    // The wrapper behind a trap's handler or a callable target, or null (with an error to throw) when
    // its plug-in object is gone.
    static Wrapper* liveWrapper(JSContextRef ctx, JSObjectRef holder, JSValueRef* exception);
    NPObject* wrappedObject(JSContextRef ctx, JSValueRef value);
    JSValueRef call(JSContextRef ctx, Wrapper* wrapper, NPIdentifier method, size_t count,
                    const JSValueRef arguments[], JSValueRef* exception);
    JSObjectRef makeMethod(JSContextRef ctx, Wrapper* wrapper, NPIdentifier name);

    static JSValueRef callDefault(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef callMethod(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static void finalizeMethod(JSObjectRef method);
    static JSValueRef getTrap(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef hasTrap(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef setTrap(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);
    static JSValueRef deleteTrap(JSContextRef, JSObjectRef, JSObjectRef, size_t, const JSValueRef[], JSValueRef*);

    JSGlobalContextRef ctx_;
    JSClassRef targetClass_;
    JSClassRef handlerClass_;
    JSClassRef methodClass_;
    // Kept from the collector for the binding's life: the Proxy constructor and Function.prototype as
    // the page found them, and the traps every handler inherits.
    JSObjectRef proxyConstructor_;
    JSObjectRef functionPrototype_;
    JSObjectRef traps_;
    std::deque<Wrapper> wrappers_; // a deque: wrapping during a call must not move the caller's wrapper
    std::unordered_map<JSObjectRef, Wrapper*> byProxy_;
    std::unordered_map<NPObject*, Wrapper*> byObject_;
};

} // namespace nphost

#endif
