#include "nphost/ObjectRef.h"

#include <utility>

#include "nphost/ObjectRegistry.h"

namespace nphost {

ObjectRef ObjectRef::adopt(NPObject* object)
{
    return ObjectRef(object);
}

ObjectRef ObjectRef::retain(NPObject* object)
{
    if (object)
        ObjectRegistry::instance().retain(object);
    return ObjectRef(object);
}

ObjectRef::ObjectRef(ObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

ObjectRef& ObjectRef::operator=(ObjectRef&& other) noexcept
{
    if (this != &other) {
        reset();
        object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
}

ObjectRef::~ObjectRef()
{
    reset();
}

void ObjectRef::reset()
{
    if (NPObject* object = std::exchange(object_, nullptr))
        ObjectRegistry::instance().release(object);
}

} // namespace nphost
