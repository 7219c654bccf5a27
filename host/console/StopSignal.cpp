// A request to end the session that arrived as a signal (Ctrl-C, SIGTERM, a hang-up).
#include "console/StopSignal.h"

#include <csignal>

namespace host {

namespace {
volatile std::sig_atomic_t gStopSignal = 0;
}

void noteStopSignal(int signal) noexcept { gStopSignal = signal; }

int stopSignal() noexcept { return gStopSignal; }

void clearStopSignal() noexcept { gStopSignal = 0; }

}  // namespace host
