// Dead workers of the workbench's pools: reaped and replaced, a request run once more when one
// dies during it, and a lab that cannot mend itself said to be broken.
#pragma once
#include "LabAdapter.h"
#include "Workers.h"

namespace flightlab::server {

// Replaces the pool's workers that ended (reaping them), so that none stays a zombie or fails
// the next request; WorkError 503 when one cannot start again.
void heal(WorkerPool& pool);

// The answer of a lab that cannot mend itself.
WorkError brokenLab(const std::string& why);

// Runs WORK on POOL (held by the caller alone): with dead workers replaced first, and once more
// after replacing a worker that ended during it.
template <typename Work>
auto healed(WorkerPool& pool, Work&& work) -> decltype(work()) {
    heal(pool);
    try {
        return work();
    } catch (const WorkerLost&) {
        heal(pool);
    }
    try {
        return work();
    } catch (const WorkerLost& e) {
        throw brokenLab(std::string("a worker process ended twice in a row (") + e.what() + ")");
    }
}

}  // namespace flightlab::server
