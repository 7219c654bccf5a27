// A request to end the session that arrived as a signal (Ctrl-C, SIGTERM, a hang-up).
#include "console/StopSignal.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

namespace host {

namespace {
volatile std::sig_atomic_t gStopSignal = 0;
}

extern "C" {
static void onStopSignal(int signal) {
#if defined(_WIN32)
    std::signal(signal, onStopSignal);  // the handler is reset on each delivery there
#endif
    noteStopSignal(signal);
}
}

#if !defined(_WIN32)
namespace {
void noteOn(std::initializer_list<int> signals) noexcept {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (const int signal : signals) sigaction(signal, &action, nullptr);
}
}  // namespace
#endif

void installStopHandlers() noexcept {
#if defined(_WIN32)
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
#else
    noteOn({SIGINT, SIGTERM, SIGHUP});
#endif
}

void stopWhenOutputCloses() noexcept {
#if !defined(_WIN32)
    // The write that met the closed pipe then fails with EPIPE instead of ending the program.
    noteOn({SIGPIPE});
#endif
}

void noteStopSignal(int signal) noexcept { gStopSignal = signal; }

int stopSignal() noexcept { return gStopSignal; }

void clearStopSignal() noexcept { gStopSignal = 0; }

}  // namespace host
