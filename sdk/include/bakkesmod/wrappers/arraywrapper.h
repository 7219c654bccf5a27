// Handle of a host-side list of game objects, read with Count and Get.
#pragma once
#include <cstddef>
#include <cstdint>

#include "../plugin/bakkesmodsdk.h"

template <typename T>
class BAKKESMOD_PLUGIN_IMPORT ArrayWrapper {
public:
    ArrayWrapper(std::uintptr_t mem);  // NOLINT: implicit as in the host
    ArrayWrapper(const ArrayWrapper<T>& other);
    ArrayWrapper<T>& operator=(ArrayWrapper<T> rhs);
    ~ArrayWrapper();
    int Count();
    // A null handle for an index outside 0 .. Count() - 1.
    T Get(int index);
    bool IsNull();

protected:
    std::uintptr_t memory_address;
};

template <typename T>
class ArrayWrapperIterator {
public:
    ArrayWrapperIterator(ArrayWrapper<T>& arr, std::size_t index) : arr_(arr), index_(index) {}
    bool operator!=(const ArrayWrapperIterator<T>& other) const { return index_ != other.index_; }
    T operator*() const { return arr_.Get(static_cast<int>(index_)); }
    ArrayWrapperIterator<T>& operator++() {
        ++index_;
        return *this;
    }

private:
    ArrayWrapper<T>& arr_;
    std::size_t index_;
};

template <typename T>
ArrayWrapperIterator<T> begin(ArrayWrapper<T>& arr) {
    return ArrayWrapperIterator<T>(arr, 0);
}

template <typename T>
ArrayWrapperIterator<T> end(ArrayWrapper<T>& arr) {
    const int n = arr.Count();
    return ArrayWrapperIterator<T>(arr, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// The lists the host library instantiates; a plug-in links against these.
class ActorWrapper;
class CarWrapper;
class BallWrapper;
class WheelWrapper;
class RBActorWrapper;
class CarComponentWrapper;
extern template class ArrayWrapper<ActorWrapper>;
extern template class ArrayWrapper<CarWrapper>;
extern template class ArrayWrapper<BallWrapper>;
extern template class ArrayWrapper<WheelWrapper>;
extern template class ArrayWrapper<RBActorWrapper>;
extern template class ArrayWrapper<CarComponentWrapper>;
