// Ctrl-C and SIGTERM during a run: the host's stop request, acted on where the lab can stop.
#include "Interrupt.h"

#include <csignal>

#include "console/StopSignal.h"

namespace flightlab {

namespace {

int deferred = 0;

}  // namespace

void installStopHandlers() { host::installStopHandlers(); }

int stopSignal() { return host::stopSignal(); }

void throwIfStopped() {
    if (const int signal = host::stopSignal(); signal != 0 && deferred == 0) throw Interrupted(signal);
}

StopsDeferred::StopsDeferred() { ++deferred; }
StopsDeferred::~StopsDeferred() { --deferred; }

void ignoreStopSignals() {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
}

}  // namespace flightlab
