// Dead workers of the workbench's pools: reaped and replaced.
#include "Healing.h"

#include <mutex>

namespace flightlab::server {

WorkError brokenLab(const std::string& why) {
    return WorkError{
        503, "the lab is broken: " + why +
                 ". Restart the workbench; if it happens again, the plug-in may be crashing"};
}

void heal(WorkerPool& pool) {
    try {
        pool.restartLost();
    } catch (const std::exception& e) {
        throw brokenLab(std::string("a worker process could not be started again (") + e.what() +
                        ")");
    }
}

void LabAdapter::reapIdle() {
    auto healIfIdle = [](std::mutex& inUse, WorkerPool* pool) {
        std::unique_lock idle(inUse, std::try_to_lock);
        if (!idle || pool == nullptr) return;
        try {
            heal(*pool);
        } catch (const WorkError&) {
            // Said by the next request that needs the pool.
        }
    };
    healIfIdle(flyMutex_, flyPool_.get());
    healIfIdle(sideMutex_, sidePool_.get());
    healIfIdle(gameMutex_, gamePool_.get());
    if (claimTune()) {
        std::mutex unused;
        healIfIdle(unused, tunePool_.get());
        releaseTune();
    }
}

}  // namespace flightlab::server
