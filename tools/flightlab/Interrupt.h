// Ctrl-C and SIGTERM during a run: noted by a handler, acted on where the lab can stop cleanly.
#pragma once
#include <stdexcept>

namespace flightlab {

// Thrown where the lab notices a stop request; unwinding ends the workers and removes the
// temporary game folders.
struct Interrupted : std::runtime_error {
    explicit Interrupted(int signal) : std::runtime_error("interrupted"), signal(signal) {}
    int signal;
};

// Notes SIGINT and SIGTERM instead of dying, so that a blocked wait returns and the run ends
// through its normal clean-up. Not SA_RESTART: a blocked poll sees the request at once.
void installStopHandlers();

// The signal that asked the run to stop, or 0.
int stopSignal();

// Throws Interrupted when a stop was requested, unless stops are deferred.
void throwIfStopped();

// While one lives, throwIfStopped() does not throw: the work that saves what an interrupted run
// found finishes.
class StopsDeferred {
public:
    StopsDeferred();
    ~StopsDeferred();
    StopsDeferred(const StopsDeferred&) = delete;
    StopsDeferred& operator=(const StopsDeferred&) = delete;
};

// Used by worker processes: the lab alone decides when they stop.
void ignoreStopSignals();

}  // namespace flightlab
