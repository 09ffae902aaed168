// Plug-in objects as script sees them. Each object becomes a Proxy whose traps go through the
// object's class (hasProperty/getProperty, hasMethod/invoke, setProperty, removeProperty); calling the
// object itself goes to invokeDefault. Values cross between script and variants as a browser converts
// them.
//
// Duktape reports script errors by longjmp: the natives here keep C++ objects with destructors inside
// helper functions that return before an error is thrown.
#ifndef NPHOST_OBJECTBINDING_H
#define NPHOST_OBJECTBINDING_H

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include <duktape.h>
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
    // Registers itself in the heap's stash so that the natives can find it.
    explicit ObjectBinding(duk_context* ctx);
    ObjectBinding(const ObjectBinding&) = delete;
    ObjectBinding& operator=(const ObjectBinding&) = delete;

    // Pushes the script object for `object`: the same one every time, holding one reference that
    // is released when the heap is destroyed.
    void push(NPObject* object);

    void toVariant(duk_idx_t index, NPVariant& variant, ArgumentStorage& storage);
    // Does not take over the variant: the caller still releases it.
    void pushVariant(const NPVariant& variant);

private:
    struct Wrapper {
        size_t index;
        NPObject* object;
        uint64_t serial;
        void* proxy;
        bool released;
    };

    static ObjectBinding& of(duk_context* ctx);
    static NPIdentifier identifierAt(duk_context* ctx, duk_idx_t index);
    static bool pushPendingException(duk_context* ctx);
    // The wrapper named by the hidden index on the object at `index`, or null (with an error pushed)
    // when its plug-in object is gone.
    Wrapper* wrapperAt(duk_idx_t index);
    NPObject* wrappedObjectAt(duk_idx_t index);
    bool call(Wrapper* wrapper, NPIdentifier method, duk_idx_t argCount);

    static duk_ret_t callDefault(duk_context* ctx);
    static duk_ret_t callMethod(duk_context* ctx);
    static duk_ret_t getTrap(duk_context* ctx);
    static duk_ret_t hasTrap(duk_context* ctx);
    static duk_ret_t setTrap(duk_context* ctx);
    static duk_ret_t deleteTrap(duk_context* ctx);
    static duk_ret_t finalize(duk_context* ctx);

    duk_context* ctx_;
    std::deque<Wrapper> wrappers_; // a deque: wrapping during a call must not move the caller's wrapper
    std::unordered_map<void*, size_t> byProxy_;
    std::unordered_map<NPObject*, size_t> byObject_;
};

} // namespace nphost

#endif
