// The workbench's HTTP server: the page's files and the JSON API over the lab adapter, with the
// checks a local server needs (its own Host and Origin only, bounded bodies and work).
#pragma once
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

namespace flightlab::server {

class LabAdapter;
class GatedServer;

struct ServerConfig {
    std::string listen = "127.0.0.1";
    int port = 0;                  // 0: any free port
    std::filesystem::path webDir;  // the page's files
};

class WorkbenchServer {
public:
    WorkbenchServer(LabAdapter& lab, ServerConfig config);
    ~WorkbenchServer();
    WorkbenchServer(const WorkbenchServer&) = delete;
    WorkbenchServer& operator=(const WorkbenchServer&) = delete;

    // Binds the address; returns the port (the one chosen with port 0). Throws
    // std::runtime_error when the address cannot be bound.
    int bind();
    // Serves until stop(); returns at once when not bound or stopped already.
    void serve();
    // Ends serve(), cancelling a running tune; safe from any thread, before serve() too.
    void stop();
    // The page's address, e.g. http://127.0.0.1:8765/.
    std::string address() const;

private:
    void routes();
    bool allowedHost(const std::string& host) const;
    LabAdapter& lab_;
    ServerConfig config_;
    std::unique_ptr<GatedServer> http_;
    int port_ = -1;
    std::atomic<bool> cancelTune_{false};
    std::atomic<bool> serving_{false}, stopping_{false};
};

// True for the loopback addresses 127.0.0.0/8, ::1 and localhost.
bool isLoopback(const std::string& address);

}  // namespace flightlab::server
