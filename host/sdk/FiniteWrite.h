// Writes into the simulated game's state that refuse non-finite values: the state stays as it
// was and the game reports "CALL: ignored a non-finite value".
#pragma once
#include "game/Game.h"
#include "game/Physics.h"
#include "sdk/FieldAccess.h"

namespace host::access {

inline Game* gameOf(const Actor& a) { return a.game; }
inline Game* gameOf(const VehicleSim& s) { return s.car->game; }
inline Game* gameOf(const Wheel& w) { return w.sim->car->game; }

using phys::isFinite;
inline bool isFinite(const StickyForceData& d) {
    return phys::isFinite(d.Ground) && phys::isFinite(d.Wall);
}

// Stores value unless the handle points at nothing or the value is non-finite; a refusal is
// reported under the name of the call.
template <typename Obj, typename Field, typename T>
void writeFinite(Obj* obj, Field field, const T& value, const char* call) {
    if (obj == nullptr || gameOf(*obj)->refusedNonFinite(isFinite(value), call)) return;
    field(*obj) = value;
}

}  // namespace host::access

// A setter of Class storing a finite value into `path`.
#define WL_SET_FINITE(Class, type, Setter, at, path)                                               \
    void Class::Setter(type value) {                                                               \
        host::access::writeFinite(at(memory_address), WL_FIELD(path), value, #Setter);             \
    }

// The pair Get##Name / Set##Name over one field, the setter checked.
#define WL_GETSET_FINITE(Class, type, Name, at, path)                                              \
    WL_GET(Class, type, Get##Name, at, path)                                                       \
    WL_SET_FINITE(Class, type, Set##Name, at, path)
