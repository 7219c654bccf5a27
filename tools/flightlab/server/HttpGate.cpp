// The workbench's connections and the checks every request passes before it is routed.
#include "HttpGate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "Requests.h"

namespace flightlab::server {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWriteLimit = std::chrono::seconds(10);
// How often a connection waiting for its next request looks whether the server is stopping.
constexpr auto kStopCheck = std::chrono::milliseconds(100);

// Set by a handler for the connection its thread serves.
thread_local bool closeConnection = false;

int pollFor(int fd, short events, Clock::duration wait) {
    pollfd p{fd, events, 0};
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wait).count();
    for (;;) {
        const int n = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, ms)));
        if (n >= 0 || errno != EINTR) return n;
    }
}

void ipAndPort(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
        port = ntohs(a.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
        port = ntohs(a.sin6_port);
    }
    ip = text;
}

// A connection's socket, read through a buffer; each request's reads end at its deadline or
// byte bound, whichever comes first.
class SocketConnection : public ConnectionStream {
public:
    SocketConnection(int sock, const std::atomic<socket_t>& listening)
        : sock_(sock), listening_(listening) {}

    bool awaitRequest() override {
        if (failed_) return false;
        if (begin_ < end_) return true;
        for (auto waited = Clock::duration::zero(); waited < kIdleLimit; waited += kStopCheck) {
            if (listening_ == INVALID_SOCKET) return false;
            const int n = pollFor(sock_, POLLIN, kStopCheck);
            if (n != 0) return n > 0;
        }
        return false;
    }
    void startRequest() override {
        deadline_ = Clock::now() + kRequestReadLimit;
        taken_ = 0;
    }
    bool failed() const override { return failed_; }

    bool is_readable() const override {
        return begin_ < end_ || pollFor(sock_, POLLIN, deadline_ - Clock::now()) > 0;
    }
    bool is_writable() const override { return pollFor(sock_, POLLOUT, kWriteLimit) > 0; }

    ssize_t read(char* ptr, size_t size) override {
        if (failed_) return -1;
        if (begin_ == end_) {
            if (taken_ >= kMaxRequestBytes || !arrives()) return fail();
            const ssize_t n = ::recv(sock_, buffer_, sizeof buffer_, 0);
            if (n < 0 && errno == EINTR) return read(ptr, size);
            if (n <= 0) return n == 0 ? 0 : fail();
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        const std::size_t n =
            std::min({size, end_ - begin_, kMaxRequestBytes - std::min(taken_, kMaxRequestBytes)});
        if (n == 0) return fail();
        std::memcpy(ptr, buffer_ + begin_, n);
        begin_ += n;
        taken_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        return ::send(sock_, ptr, size, MSG_NOSIGNAL);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        address(::getsockname, ip, port);
    }
    socket_t socket() const override { return sock_; }

private:
    // Waits for bytes until the request's deadline, or until the server stops.
    bool arrives() const {
        for (;;) {
            const auto left = deadline_ - Clock::now();
            if (left <= Clock::duration::zero() || listening_ == INVALID_SOCKET) return false;
            const int n = pollFor(sock_, POLLIN, std::min<Clock::duration>(left, kStopCheck));
            if (n != 0) return n > 0;
        }
    }
    ssize_t fail() {
        failed_ = true;
        return -1;
    }
    void address(int (*get)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const {
        sockaddr_storage a{};
        socklen_t size = sizeof a;
        port = -1;
        if (get(sock_, reinterpret_cast<sockaddr*>(&a), &size) == 0) ipAndPort(a, ip, port);
    }
    int sock_;
    const std::atomic<socket_t>& listening_;
    char buffer_[4096];
    std::size_t begin_ = 0, end_ = 0, taken_ = 0;
    Clock::time_point deadline_ = Clock::now() + kRequestReadLimit;
    bool failed_ = false;
};

// A thread for each connection, up to kMaxConnections of them; the threads stay for the next
// connections until the server stops.
class ConnectionThreads : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(fn));
        if (idle_ == 0 && threads_.size() < kMaxConnections)
            threads_.emplace_back([this] { work(); });
        else
            ready_.notify_one();
    }
    void shutdown() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        ready_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            --idle_;
            if (jobs_.empty()) return;
            auto job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
    }
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

bool hasBody(const httplib::Request& req) {
    return req.has_header("Transfer-Encoding") ||
           (req.has_header("Content-Length") && req.get_header_value("Content-Length") != "0");
}

}  // namespace

void sendError(httplib::Response& res, int status, const std::string& message,
               const std::string& field) {
    nlohmann::json j = {{"error", message}};
    if (!field.empty()) j["field"] = field;
    res.status = status;
    // Names in messages come from the request or the disk: bytes that are not UTF-8 are
    // replaced, never fatal.
    res.set_content(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                    "application/json");
}

GatedServer::GatedServer(std::function<bool(const std::string&)> allowed)
    : allowed_(std::move(allowed)) {
    set_payload_max_length(kMaxBodyBytes);
    // Every answer, refusals and the library's own errors included.
    set_default_headers(
        {{"X-Content-Type-Options", "nosniff"},
         {"Cache-Control", "no-store"},
         {"Content-Security-Policy",
          "default-src 'self'; img-src 'self' blob: data:; style-src 'self' 'unsafe-inline'"}});
    new_task_queue = [] { return new ConnectionThreads; };
    set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return check(req, res); });
}

int GatedServer::bindTo(const std::string& host, int port) {
    const int bound = port == 0 ? bind_to_any_port(host) : (bind_to_port(host, port) ? port : -1);
    // The library listens with a queue of 5: a burst of connections past it waits a second for
    // each retry of the connection, the page's own included.
    if (bound >= 0) ::listen(svr_sock_, static_cast<int>(kMaxConnections));
    return bound;
}

void GatedServer::closeAfterAnswer(const httplib::Request& req) {
    closeConnection = true;
    // The request is this server's own object, handed over as const; the library then answers
    // with "Connection: close".
    auto& headers = const_cast<httplib::Request&>(req).headers;
    headers.erase("Connection");
    headers.emplace("Connection", "close");
}

httplib::Server::HandlerResponse GatedServer::check(const httplib::Request& req,
                                                    httplib::Response& res) {
    auto refuse = [&](int status, const std::string& message) {
        closeAfterAnswer(req);
        sendError(res, status, message);
        return HandlerResponse::Handled;
    };
    // A second Host or Origin could tell another part of the way a different story.
    if (req.get_header_value_count("Host") > 1 || req.get_header_value_count("Origin") > 1)
        return refuse(400, "a request may carry one Host and one Origin header only");
    // A page of another site, or a name that resolves here by a rebinding DNS server, is refused
    // before anything else is read.
    if (!allowed_(req.get_header_value("Host")))
        return refuse(403, "this server answers only to its own address (Host " +
                               req.get_header_value("Host").substr(0, 100) + " refused)");
    if (req.has_header("Origin")) {
        const std::string origin = req.get_header_value("Origin");
        if (origin.rfind("http://", 0) != 0 || !allowed_(origin.substr(7)))
            return refuse(403, "requests from other sites are refused");
    }
    const bool json = req.method == "POST" && jsonPaths_.count(req.path) != 0;
    // Only the API's POST routes read a body, each within its bound.
    if (!json && (req.method == "POST" || hasBody(req)))
        return refuse(req.method == "POST" ? 404 : 400,
                      req.method == "POST" ? "no such endpoint" : "this request takes no body");
    if (json && req.get_header_value("Content-Type").rfind("application/json", 0) != 0)
        return refuse(415, "the API takes application/json bodies");
    // Over loopback compression only costs time (brotli takes seconds for the 3D library, and
    // milliseconds on every flight): the answers go uncompressed.
    const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
    return HandlerResponse::Unhandled;
}

void GatedServer::postJson(const std::string& path, Handler handler) {
    jsonPaths_.insert(path);
    Post(path, [handler = std::move(handler)](const httplib::Request& req, httplib::Response& res,
                                              const httplib::ContentReader& reader) {
        auto tooLarge = [&] {
            closeAfterAnswer(req);
            sendError(res, 413, "the request body is larger than 64 KiB");
        };
        // A stated length past the bound is refused before a byte of the body is read.
        const std::string length = req.get_header_value("Content-Length");
        if (!req.has_header("Transfer-Encoding") && !length.empty()) {
            if (length.find_first_not_of("0123456789") != std::string::npos) {
                closeAfterAnswer(req);
                return sendError(res, 400, "the Content-Length is not a number");
            }
            if (length.size() > 12 || std::stoull(length) > kMaxBodyBytes) return tooLarge();
        }
        std::string body;
        bool over = false;
        const bool read = reader([&](const char* data, std::size_t size) {
            over = body.size() + size > kMaxBodyBytes;
            if (!over) body.append(data, size);
            return !over;
        });
        if (over) return tooLarge();
        if (!read) {
            closeAfterAnswer(req);
            return sendError(res, 400, "the request body could not be read whole");
        }
        const_cast<httplib::Request&>(req).body = std::move(body);
        handler(req, res);
    });
}

void GatedServer::serveConnection(ConnectionStream& stream) {
    for (std::size_t left = keep_alive_max_count_; left > 0; --left) {
        if (!stream.awaitRequest()) return;
        stream.startRequest();
        closeConnection = false;
        bool closed = false;
        const bool answered = process_request(stream, left == 1, closed, {});
        if (!answered || closed || closeConnection || stream.failed()) return;
    }
}

bool GatedServer::process_and_close_socket(socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    {
        SocketConnection connection(sock, svr_sock_);
        serveConnection(connection);
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return true;
}

}  // namespace flightlab::server
