// GameEventWrapper, ServerWrapper and the object lists (ArrayWrapper) of the simulated game.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "sdk/FiniteWrite.h"

using host::gameEventAt;

namespace {

// The address of the first object of a game event's list (cars or balls), 0 when it is empty.
template <typename List>
std::uintptr_t firstOf(std::uintptr_t eventAddress, List host::GameEvent::*list) {
    host::GameEvent* ev = gameEventAt(eventAddress);
    return ev != nullptr && !(ev->*list).empty() ? host::actorAddress((ev->*list).front()) : 0;
}

}  // namespace

// --- GameEventWrapper and ServerWrapper ---

ArrayWrapper<CarWrapper> GameEventWrapper::GetCars() {
    return ArrayWrapper<CarWrapper>(gameEventAt(memory_address) != nullptr ? memory_address : 0);
}

ArrayWrapper<BallWrapper> ServerWrapper::GetGameBalls() {
    return ArrayWrapper<BallWrapper>(gameEventAt(memory_address) != nullptr ? memory_address : 0);
}

BallWrapper ServerWrapper::GetBall() {
    return BallWrapper(firstOf(memory_address, &host::GameEvent::balls));
}

CarWrapper ServerWrapper::GetGameCar() {
    return CarWrapper(firstOf(memory_address, &host::GameEvent::cars));
}

// Stored only: the simulated game always advances 1/120 s per tick.
WL_GETSET_FINITE(ServerWrapper, float, GameSpeed, gameEventAt, gameSpeed)

// --- ArrayWrapper ---
// The address of a car or ball list is its game event's; of a wheel list, the vehicle
// simulation's. Count and Get read the live list on every call.

namespace {

// Lists of a kind the simulated game never hands out read as empty.
template <typename T>
struct ListOf {
    static int count(std::uintptr_t) { return 0; }
    static std::uintptr_t at(std::uintptr_t, int) { return 0; }
};

// The cars or the balls of a game event.
template <auto list>
struct EventList {
    static int count(std::uintptr_t a) {
        host::GameEvent* ev = gameEventAt(a);
        return ev != nullptr ? static_cast<int>((ev->*list).size()) : 0;
    }
    static std::uintptr_t at(std::uintptr_t a, int i) {
        return host::actorAddress((gameEventAt(a)->*list)[static_cast<std::size_t>(i)]);
    }
};

template <>
struct ListOf<CarWrapper> : EventList<&host::GameEvent::cars> {};
template <>
struct ListOf<BallWrapper> : EventList<&host::GameEvent::balls> {};

template <>
struct ListOf<WheelWrapper> {
    static int count(std::uintptr_t a) {
        host::VehicleSim* s = host::vehicleSimAt(a);
        return s != nullptr ? s->wheelCount : 0;
    }
    static std::uintptr_t at(std::uintptr_t a, int i) {
        return reinterpret_cast<std::uintptr_t>(
            &host::vehicleSimAt(a)->wheels[static_cast<std::size_t>(i)]);
    }
};

}  // namespace

template <typename T>
ArrayWrapper<T>::ArrayWrapper(std::uintptr_t mem) : memory_address(mem) {}

template <typename T>
ArrayWrapper<T>::ArrayWrapper(const ArrayWrapper<T>& other)
    : memory_address(other.memory_address) {}

template <typename T>
ArrayWrapper<T>& ArrayWrapper<T>::operator=(ArrayWrapper<T> rhs) {
    memory_address = rhs.memory_address;
    return *this;
}

template <typename T>
ArrayWrapper<T>::~ArrayWrapper() = default;

template <typename T>
int ArrayWrapper<T>::Count() {
    return ListOf<T>::count(memory_address);
}

template <typename T>
T ArrayWrapper<T>::Get(int index) {
    if (index < 0 || index >= ListOf<T>::count(memory_address)) return T(0);
    return T(ListOf<T>::at(memory_address, index));
}

template <typename T>
bool ArrayWrapper<T>::IsNull() {
    return memory_address == 0;
}

template class ArrayWrapper<ActorWrapper>;
template class ArrayWrapper<CarWrapper>;
template class ArrayWrapper<BallWrapper>;
template class ArrayWrapper<WheelWrapper>;
template class ArrayWrapper<RBActorWrapper>;
template class ArrayWrapper<CarComponentWrapper>;
