// The two shapes of a wrapper's accessors on a host object, written once: read a field of what
// a handle points at, and write one.
//
// `at` turns a handle's address into the object, or null when there is none (a null handle, a
// removed object, one of another kind): then a read gives zero and a write does nothing.
#pragma once
#include <type_traits>

namespace host::access {

// field(obj) of the object behind the handle, or a value-initialised (zero) one.
template <typename Obj, typename Field>
auto read(Obj* obj, Field field) {
    using T = std::remove_cvref_t<decltype(field(*obj))>;
    return obj != nullptr ? T(field(*obj)) : T{};
}

// Stores value, as long as the handle points at something.
template <typename Obj, typename Field, typename T>
void write(Obj* obj, Field field, const T& value) {
    if (obj != nullptr) field(*obj) = value;
}

}  // namespace host::access

// The accessor of one member path of an object, e.g. WL_FIELD(rb.Location).
#define WL_FIELD(path) [](auto& o) -> auto& { return o.path; }

// A getter of Class reading `path` of what `at` finds behind the handle.
#define WL_GET(Class, type, Getter, at, path)                                                      \
    type Class::Getter() { return host::access::read(at(memory_address), WL_FIELD(path)); }

// A setter of Class storing its value into `path`.
#define WL_SET(Class, type, Setter, at, path)                                                      \
    void Class::Setter(type value) {                                                               \
        host::access::write(at(memory_address), WL_FIELD(path), value);                            \
    }

// The pair Get##Name / Set##Name over one field.
#define WL_GETSET(Class, type, Name, at, path)                                                     \
    WL_GET(Class, type, Get##Name, at, path)                                                       \
    WL_SET(Class, type, Set##Name, at, path)
