// Script objects (NPObject) of the process: creation, reference counting and reclaiming, with counts
// that let tests prove no reference leaks.
#ifndef NPHOST_OBJECTREGISTRY_H
#define NPHOST_OBJECTREGISTRY_H

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include <npapi/npruntime.h>

namespace nphost {

class ObjectRegistry {
public:
    static ObjectRegistry& instance();

    // NPN_CreateObject: the class allocates (or the host does), the count starts at 1. Objects created
    // for an instance belong to it and are reclaimed with it.
    NPObject* create(NPP owner, NPClass* aClass);
    NPObject* retain(NPObject* object);
    // At zero the class deallocates the object. Retaining or releasing an object that is not alive
    // is counted as an invalid use and does nothing.
    void release(NPObject* object);

    bool isAlive(NPObject* object) const;
    // Objects are numbered so that a new object at a reused address is not mistaken for an old one.
    uint64_t serialOf(NPObject* object) const;
    bool isAlive(NPObject* object, uint64_t serial) const;

    // What a browser does when an instance goes away: every object the instance created is
    // invalidated and deallocated, whatever references remain. Those references are added to
    // referencesDropped().
    void reclaimObjectsOf(NPP owner);

    size_t liveObjects() const;
    size_t invalidUses() const;
    uint64_t referencesDropped() const;

private:
    ObjectRegistry() = default;
    static void deallocate(NPObject* object);

    struct Entry {
        NPP owner;
        uint64_t serial;
    };

    mutable std::mutex mutex_;
    std::unordered_map<NPObject*, Entry> live_;
    uint64_t nextSerial_ = 1;
    size_t invalidUses_ = 0;
    uint64_t referencesDropped_ = 0;
};

} // namespace nphost

#endif
