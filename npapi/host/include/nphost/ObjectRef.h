// One reference to a script object, released when the holder goes.
#ifndef NPHOST_OBJECTREF_H
#define NPHOST_OBJECTREF_H

#include <npapi/npruntime.h>

namespace nphost {

class ObjectRef {
public:
    ObjectRef() = default;
    // Takes over a reference the caller already holds.
    static ObjectRef adopt(NPObject* object);
    // Adds a reference of its own.
    static ObjectRef retain(NPObject* object);

    ObjectRef(ObjectRef&& other) noexcept;
    ObjectRef& operator=(ObjectRef&& other) noexcept;
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;
    ~ObjectRef();

    NPObject* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset();

private:
    explicit ObjectRef(NPObject* object) : object_(object) {}
    NPObject* object_ = nullptr;
};

} // namespace nphost

#endif
