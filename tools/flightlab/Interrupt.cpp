// Ctrl-C and SIGTERM during a run.
#include "Interrupt.h"

#include <signal.h>

#include <csignal>

namespace flightlab {

namespace {

volatile std::sig_atomic_t requested = 0;
int deferred = 0;

extern "C" void noteStop(int signal) {
    if (requested == 0) requested = signal;
}

}  // namespace

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() { return requested; }

void throwIfStopped() {
    if (const int signal = requested; signal != 0 && deferred == 0) throw Interrupted(signal);
}

StopsDeferred::StopsDeferred() { ++deferred; }
StopsDeferred::~StopsDeferred() { --deferred; }

void ignoreStopSignals() {
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGTERM, SIG_IGN);
}

}  // namespace flightlab
