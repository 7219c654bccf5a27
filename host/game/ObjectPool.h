// Storage of a game's objects of one kind: removed objects are kept for a while, then rebuilt
// in place as new ones, so that a long session's memory stays flat.
#pragma once
#include <cstddef>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace host {

// Objects never go back to the allocator while the pool lives: a handle kept after its object
// was removed always points at an object of the right kind. For the next `quarantine` removals
// it reads the removed object (dead: zeros); after that its memory may hold a newer object.
template <typename T>
class ObjectPool {
public:
    explicit ObjectPool(std::size_t quarantine) : quarantine_(quarantine) {}

    // A new object built from args, in the memory of the oldest removed one once enough wait.
    template <typename... Args>
    T* make(Args&&... args) {
        if (retired_.size() > quarantine_) {
            T* reused = retired_.front();
            retired_.pop_front();
            std::destroy_at(reused);
            std::construct_at(reused, std::forward<Args>(args)...);
            return reused;
        }
        return owned_.emplace_back(std::make_unique<T>(std::forward<Args>(args)...)).get();
    }

    // Marks the object removed (the caller has made it dead) and queues it for reuse.
    void retire(T* object) { retired_.push_back(object); }

    // Objects held, live or removed.
    std::size_t size() const { return owned_.size(); }

private:
    std::size_t quarantine_;
    std::vector<std::unique_ptr<T>> owned_;
    std::deque<T*> retired_;
};

}  // namespace host
