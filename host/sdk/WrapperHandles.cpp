// Handle constructors and null tests of the wrappers: plain copies of an address (and, for the
// console's handles, of the plug-in's type index).
#include "bakkesmod/wrappers/cvarmanagerwrapper.h"
#include "bakkesmod/wrappers/includes.h"

#define WL_DEFINE_HANDLE(name, base)                                                               \
    name::name(std::uintptr_t mem) : base(mem) {}                                                  \
    name::name(const name& other) : base(other.memory_address) {}                                  \
    name& name::operator=(name rhs) {                                                              \
        memory_address = rhs.memory_address;                                                       \
        return *this;                                                                              \
    }                                                                                              \
    name::~name() = default;

WL_DEFINE_HANDLE(ActorWrapper, ObjectWrapper)
WL_DEFINE_HANDLE(RBActorWrapper, ActorWrapper)
WL_DEFINE_HANDLE(VehicleWrapper, RBActorWrapper)
WL_DEFINE_HANDLE(CarWrapper, VehicleWrapper)
WL_DEFINE_HANDLE(BallWrapper, RBActorWrapper)
WL_DEFINE_HANDLE(GameEventWrapper, ActorWrapper)
WL_DEFINE_HANDLE(TeamGameEventWrapper, GameEventWrapper)
WL_DEFINE_HANDLE(ServerWrapper, TeamGameEventWrapper)
WL_DEFINE_HANDLE(CarComponentWrapper, ActorWrapper)
WL_DEFINE_HANDLE(BoostWrapper, CarComponentWrapper)
WL_DEFINE_HANDLE(AirControlComponentWrapper, CarComponentWrapper)
WL_DEFINE_HANDLE(VehicleSimWrapper, ObjectWrapper)
WL_DEFINE_HANDLE(WheelWrapper, ObjectWrapper)

#define WL_DEFINE_CONSOLE_HANDLE(name)                                                             \
    name::name(std::uintptr_t mem, std::type_index pluginIdx)                                      \
        : memory_address(mem), pluginIdx_(pluginIdx) {}                                            \
    name::name(const name& other) = default;                                                       \
    name& name::operator=(name rhs) {                                                              \
        memory_address = rhs.memory_address;                                                       \
        pluginIdx_ = rhs.pluginIdx_;                                                               \
        return *this;                                                                              \
    }                                                                                              \
    name::~name() = default;

WL_DEFINE_CONSOLE_HANDLE(CVarManagerWrapper)
WL_DEFINE_CONSOLE_HANDLE(CVarWrapper)

bool ActorWrapper::IsNull() { return memory_address == 0; }
bool ActorWrapper::IsNull() const { return memory_address == 0; }
ActorWrapper::operator bool() { return memory_address != 0; }
ActorWrapper::operator bool() const { return memory_address != 0; }

bool VehicleSimWrapper::IsNull() const { return memory_address == 0; }
VehicleSimWrapper::operator bool() const { return memory_address != 0; }

bool WheelWrapper::IsNull() const { return memory_address == 0; }
WheelWrapper::operator bool() const { return memory_address != 0; }
