// wingleaf-flightlab --serve: the workbench on the lab's engine until Ctrl-C.
#include "Serve.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>

#include "LabAdapter.h"
#include "WorkbenchServer.h"

namespace flightlab {

namespace {

// Worker processes flying the page's set-ups side by side.
constexpr int kFlyWorkers = 2;

}  // namespace

std::string listenNote(const std::string& address) {
    if (server::isLoopback(address)) return "";
    in_addr v4{};
    in6_addr v6{};
    if ((::inet_pton(AF_INET, address.c_str(), &v4) == 1 && v4.s_addr == 0) ||
        (::inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_UNSPECIFIED(&v6)))
        return "flightlab: listening on " + address +
               ": the page answers only requests addressed to 127.0.0.1 or localhost; to let "
               "other machines in, --listen on the address they reach this one by";
    return "flightlab: warning: listening on " + address +
           ": anyone who can reach this address can fly, tune and save presets";
}

int runServe(const LabOptions& o, const std::filesystem::path& work, std::ostream& out, std::ostream& err) {
    server::LabAdapter lab(o.plugin, work, o.serve->game, kFlyWorkers);
    server::WorkbenchServer http(lab, {o.serve->listen, o.serve->port, WL_FLIGHTLAB_WEB});
    http.bind();
    if (const std::string note = listenNote(o.serve->listen); !note.empty())
        err << note << std::endl;
    // Ctrl-C and SIGTERM are taken by one thread that ends the server; the others never see them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigaddset(&stopSignals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::atomic<bool> signalled{false};
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        if (signal == SIGUSR2) return;
        signalled = true;
        http.stop();
    });
    out << "flightlab: workbench at " << http.address() << " (Ctrl-C ends it)" << std::endl;
    if (!o.serve->game.empty()) err << "flightlab: presets saved to " << o.serve->game.string() << std::endl;
    http.serve();
    // The server may also stop by itself; the waiter then gets a signal of its own to end.
    if (!signalled) pthread_kill(waiter.native_handle(), SIGUSR2);
    waiter.join();
    err << "flightlab: workbench stopped" << std::endl;
    return 0;
}

}  // namespace flightlab
