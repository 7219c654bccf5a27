// The workbench's connections and the checks every request passes before it is routed: each
// request read whole within a time and byte bound, idle or slow connections that never hold up
// the others, one Host and Origin of this server's own, bounded bodies whatever their encoding.
#pragma once
#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <set>
#include <string>

namespace flightlab::server {

// A request's headers and body arrive within this time of its first byte, or it is dropped.
inline constexpr auto kRequestReadLimit = std::chrono::seconds(10);
// A connection waiting this long for its next request is closed.
inline constexpr auto kIdleLimit = std::chrono::seconds(5);
// The bytes one request may take on the wire: headers, chunk framing and a body of at most
// kMaxBodyBytes with room to spare. Past it the connection is dropped.
inline constexpr std::size_t kMaxRequestBytes = std::size_t{1} << 20;
// Connections served at once; each waits in a thread of its own, so that slow or idle ones never
// hold up another. Beyond this number new connections wait for one to end.
inline constexpr std::size_t kMaxConnections = 512;

// One connection's bytes, with the bounds of the request being read.
class ConnectionStream : public httplib::Stream {
public:
    // Waits for the next request's first byte; false when the connection should end instead.
    virtual bool awaitRequest() = 0;
    // Starts the bounds of a new request.
    virtual void startRequest() = 0;
    // True once a read ran past its bounds or failed: nothing more is read from the connection.
    virtual bool failed() const = 0;
};

class GatedServer : public httplib::Server {
public:
    // Answers only requests whose Host (and Origin, when there is one) ALLOWED accepts.
    explicit GatedServer(std::function<bool(const std::string& host)> allowed);

    // Binds HOST:PORT (any free port with 0) as bind_to_port does, with room in the queue of
    // connections not yet accepted for a burst of them; the port, or -1.
    int bindTo(const std::string& host, int port);

    // A POST route taking an application/json body of at most kMaxBodyBytes, however it is sent
    // (413 beyond it); the handler finds the body in req.body.
    void postJson(const std::string& path, Handler handler);

    // Serves the requests of one connection until it ends, idles out, fails its bounds or a
    // request ends it.
    void serveConnection(ConnectionStream& stream);

    // Closes the connection once the answer to REQ is sent: what is left of its body is never
    // read.
    static void closeAfterAnswer(const httplib::Request& req);

private:
    bool process_and_close_socket(socket_t sock) override;
    httplib::Server::HandlerResponse check(const httplib::Request& req, httplib::Response& res);
    std::function<bool(const std::string&)> allowed_;
    std::set<std::string> jsonPaths_;
};

// A refusal or error as the API answers it: {"error": MESSAGE[, "field": FIELD]}.
void sendError(httplib::Response& res, int status, const std::string& message,
               const std::string& field = "");

}  // namespace flightlab::server
