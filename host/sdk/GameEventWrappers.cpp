// GameEventWrapper, ServerWrapper and the object lists (ArrayWrapper) of the simulated game.
#include <string>

#include "bakkesmod/wrappers/includes.h"
#include "game/Game.h"
#include "game/Physics.h"

// --- GameEventWrapper and ServerWrapper ---

ArrayWrapper<CarWrapper> GameEventWrapper::GetCars() {
    return ArrayWrapper<CarWrapper>(host::gameEventAt(memory_address) != nullptr ? memory_address
                                                                                 : 0);
}

BallWrapper ServerWrapper::GetBall() {
    host::GameEvent* ev = host::gameEventAt(memory_address);
    return BallWrapper(ev != nullptr && !ev->balls.empty() ? host::actorAddress(ev->balls.front())
                                                           : 0);
}

CarWrapper ServerWrapper::GetGameCar() {
    host::GameEvent* ev = host::gameEventAt(memory_address);
    return CarWrapper(ev != nullptr && !ev->cars.empty() ? host::actorAddress(ev->cars.front())
                                                         : 0);
}

ArrayWrapper<BallWrapper> ServerWrapper::GetGameBalls() {
    return ArrayWrapper<BallWrapper>(host::gameEventAt(memory_address) != nullptr ? memory_address
                                                                                  : 0);
}

float ServerWrapper::GetGameSpeed() {
    host::GameEvent* ev = host::gameEventAt(memory_address);
    return ev != nullptr ? ev->gameSpeed : 0.0f;
}

// Stored only: the simulated game always advances 1/120 s per tick.
void ServerWrapper::SetGameSpeed(float newGameSpeed) {
    host::GameEvent* ev = host::gameEventAt(memory_address);
    if (ev == nullptr || ev->game->refusedNonFinite(host::phys::isFinite(newGameSpeed), "SetGameSpeed"))
        return;
    ev->gameSpeed = newGameSpeed;
}

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

template <>
struct ListOf<CarWrapper> {
    static int count(std::uintptr_t a) {
        host::GameEvent* ev = host::gameEventAt(a);
        return ev != nullptr ? static_cast<int>(ev->cars.size()) : 0;
    }
    static std::uintptr_t at(std::uintptr_t a, int i) {
        return host::actorAddress(host::gameEventAt(a)->cars[static_cast<std::size_t>(i)]);
    }
};

template <>
struct ListOf<BallWrapper> {
    static int count(std::uintptr_t a) {
        host::GameEvent* ev = host::gameEventAt(a);
        return ev != nullptr ? static_cast<int>(ev->balls.size()) : 0;
    }
    static std::uintptr_t at(std::uintptr_t a, int i) {
        return host::actorAddress(host::gameEventAt(a)->balls[static_cast<std::size_t>(i)]);
    }
};

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
ArrayWrapper<T>::ArrayWrapper(const ArrayWrapper<T>& other) : memory_address(other.memory_address) {}

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
