#include "nphost/ObjectRegistry.h"

#include <cstdlib>
#include <vector>

namespace nphost {

ObjectRegistry& ObjectRegistry::instance()
{
    static ObjectRegistry registry;
    return registry;
}

NPObject* ObjectRegistry::create(NPP owner, NPClass* aClass)
{
    if (!aClass)
        return nullptr;
    // Class callbacks run without the lock: they may call back into the registry.
    NPObject* object = aClass->allocate ? aClass->allocate(owner, aClass)
                                        : static_cast<NPObject*>(std::malloc(sizeof(NPObject)));
    if (!object)
        return nullptr;
    object->_class = aClass;
    object->referenceCount = 1;
    std::lock_guard<std::mutex> lock(mutex_);
    live_[object] = Entry{owner, nextSerial_++};
    return object;
}

NPObject* ObjectRegistry::retain(NPObject* object)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (live_.count(object) == 0)
        ++invalidUses_;
    else
        ++object->referenceCount;
    return object;
}

void ObjectRegistry::release(NPObject* object)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (live_.count(object) == 0) {
            ++invalidUses_;
            return;
        }
        if (--object->referenceCount > 0)
            return;
        live_.erase(object);
    }
    deallocate(object);
}

bool ObjectRegistry::isAlive(NPObject* object) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.count(object) != 0;
}

uint64_t ObjectRegistry::serialOf(NPObject* object) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = live_.find(object);
    return found == live_.end() ? 0 : found->second.serial;
}

bool ObjectRegistry::isAlive(NPObject* object, uint64_t serial) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = live_.find(object);
    return found != live_.end() && found->second.serial == serial;
}

void ObjectRegistry::reclaimObjectsOf(NPP owner)
{
    std::vector<std::pair<NPObject*, uint64_t>> owned;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& entry : live_)
            if (entry.second.owner == owner)
                owned.emplace_back(entry.first, entry.second.serial);
    }
    for (const auto& [object, serial] : owned) {
        if (!isAlive(object, serial))
            continue; // an earlier invalidate released it
        if (object->_class->invalidate)
            object->_class->invalidate(object);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto found = live_.find(object);
            if (found == live_.end() || found->second.serial != serial)
                continue;
            referencesDropped_ += object->referenceCount;
            live_.erase(found);
        }
        deallocate(object);
    }
}

size_t ObjectRegistry::liveObjects() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return live_.size();
}

size_t ObjectRegistry::invalidUses() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return invalidUses_;
}

uint64_t ObjectRegistry::referencesDropped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return referencesDropped_;
}

void ObjectRegistry::deallocate(NPObject* object)
{
    if (object->_class->deallocate)
        object->_class->deallocate(object);
    else
        std::free(object);
}

} // namespace nphost
