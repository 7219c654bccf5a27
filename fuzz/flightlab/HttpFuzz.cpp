// Feeds any bytes to the workbench's connection handling as one connection's requests: chunked,
// oversized and repeated-header requests included. Every answer carries the page's protective
// headers, no body past the bound reaches a handler, and a request with more than one Host or
// Origin is never routed.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "HttpGate.h"
#include "Requests.h"

using namespace flightlab;
using namespace flightlab::server;

namespace {

// One connection whose bytes are the fuzzer's input; the answers go nowhere.
class MemoryConnection : public ConnectionStream {
public:
    MemoryConnection(const char* data, std::size_t size) : data_(data), size_(size) {}
    bool awaitRequest() override { return !failed_ && pos_ < size_; }
    void startRequest() override { taken_ = 0; }
    bool failed() const override { return failed_; }
    bool is_readable() const override { return pos_ < size_; }
    bool is_writable() const override { return true; }
    ssize_t read(char* ptr, size_t size) override {
        const std::size_t n = std::min({size, size_ - pos_, kMaxRequestBytes - taken_});
        if (n == 0 && pos_ < size_) failed_ = true;
        if (n == 0) return failed_ ? -1 : 0;
        std::memcpy(ptr, data_ + pos_, n);
        pos_ += n;
        taken_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char*, size_t size) override { return static_cast<ssize_t>(size); }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        ip = "127.0.0.1", port = 50000;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        ip = "127.0.0.1", port = 8765;
    }
    socket_t socket() const override { return INVALID_SOCKET; }

private:
    const char* data_;
    std::size_t size_, pos_ = 0, taken_ = 0;
    bool failed_ = false;
};

void checkRouted(const httplib::Request& req) {
    if (req.get_header_value_count("Host") != 1 || req.get_header_value_count("Origin") > 1)
        __builtin_trap();
    if (req.body.size() > kMaxBodyBytes) __builtin_trap();
}

GatedServer& gate() {
    static GatedServer* s = [] {
        auto* g = new GatedServer([](const std::string& host) { return host == "127.0.0.1:8765"; });
        g->set_keep_alive_max_count(100);
        g->postJson("/api/fly", [](const httplib::Request& req, httplib::Response& res) {
            checkRouted(req);
            SliderRanges ranges{};
            for (auto& r : ranges) r = {0, 10, 1};
            try {
                decodeFly(req.body, ranges);
                res.set_content("{}", "application/json");
            } catch (const RequestError& e) {
                sendError(res, 400, e.message, e.field);
            }
        });
        g->Get("/api/vocabulary", [](const httplib::Request& req, httplib::Response& res) {
            checkRouted(req);
            res.set_content("{}", "application/json");
        });
        g->set_logger([](const httplib::Request&, const httplib::Response& res) {
            if (res.get_header_value("X-Content-Type-Options") != "nosniff" ||
                res.get_header_value("Content-Security-Policy").rfind("default-src 'self'", 0) != 0)
                __builtin_trap();
        });
        return g;
    }();
    return *s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryConnection connection(reinterpret_cast<const char*>(data), size);
    gate().serveConnection(connection);
    return 0;
}
