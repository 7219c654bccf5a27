// The workbench's HTTP server: the page's files and the JSON API over the lab adapter.
#include "WorkbenchServer.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

#include "HttpGate.h"
#include "LabAdapter.h"

namespace flightlab::server {

using nlohmann::json;

namespace {

// Tune progress reaches the page at most this often.
constexpr auto kProgressEvery = std::chrono::milliseconds(100);

void sendJson(httplib::Response& res, const json& j) {
    res.set_content(j.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

const char* statusText(int status) {
    switch (status) {
        case 404: return "no such page or endpoint";
        case 405: return "method not allowed";
        case 413: return "the request body is larger than 64 KiB";
        case 414: return "the request line is too long";
        default: return "bad request";
    }
}

// Runs a handler; whatever it throws becomes a JSON error, never the end of the server. One
// function for every route, not a template: the error handling is compiled once.
httplib::Server::Handler guarded(LabAdapter& lab, httplib::Server::Handler handler) {
    return
        [&lab, handler = std::move(handler)](const httplib::Request& req, httplib::Response& res) {
            try {
                lab.reapIdle();
                handler(req, res);
            } catch (const RequestError& e) {
                sendError(res, 400, (e.field.empty() ? "" : e.field + ": ") + e.message, e.field);
            } catch (const WorkError& e) {
                sendError(res, e.status, e.message);
            } catch (const std::exception& e) {
                sendError(res, 500, e.what());
            }
        };
}

// Who sent a request, for superseding that client's older fly requests only: the page's id when
// it sends one, else the connection.
std::string clientOf(const httplib::Request& req) {
    const std::string page = req.get_header_value("X-Workbench-Page");
    const bool usable = !page.empty() && page.size() <= 64 &&
                        page.find_first_not_of(
                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_") ==
                            std::string::npos;
    if (usable) return "page " + page;
    return "connection " + req.remote_addr + " " + std::to_string(req.remote_port);
}

}  // namespace

bool isLoopback(const std::string& address) {
    if (address == "localhost" || address == "::1") return true;
    in_addr v4{};
    return ::inet_pton(AF_INET, address.c_str(), &v4) == 1 && (ntohl(v4.s_addr) >> 24) == 127;
}

WorkbenchServer::WorkbenchServer(LabAdapter& lab, ServerConfig config)
    : lab_(lab),
      config_(std::move(config)),
      http_(std::make_unique<GatedServer>(
          [this](const std::string& host) { return allowedHost(host); })) {
    routes();
}

WorkbenchServer::~WorkbenchServer() { stop(); }

bool WorkbenchServer::allowedHost(const std::string& host) const {
    // Appended, not concatenated: GCC 12 at -O3 warns falsely about "x" + std::string.
    std::string port = ":";
    port += std::to_string(port_);
    for (const char* name : {"127.0.0.1", "localhost", "[::1]"})
        if (host == name + port) return true;
    const std::string bound = config_.listen.find(':') != std::string::npos ? "[" + config_.listen + "]" : config_.listen;
    return host == bound + port;
}

int WorkbenchServer::bind() {
    port_ = http_->bindTo(config_.listen, config_.port);
    if (port_ < 0)
        throw std::runtime_error("cannot listen on " + config_.listen + " port " + std::to_string(config_.port) +
                                 " (in use, or not an address of this machine)");
    return port_;
}

void WorkbenchServer::serve() {
    if (port_ < 0) return;
    serving_ = true;
    if (!stopping_) http_->listen_after_bind();
    serving_ = false;
}

void WorkbenchServer::stop() {
    cancelTune_ = true;
    stopping_ = true;
    // The library's stop() does nothing until its loop runs: a stop() that comes while serve()
    // is starting (a Ctrl-C at once) waits for the loop, or serve() would never return.
    while (serving_ && !http_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    http_->stop();
}

std::string WorkbenchServer::address() const {
    const std::string host = config_.listen.find(':') != std::string::npos ? "[" + config_.listen + "]" : config_.listen;
    return "http://" + host + ":" + std::to_string(port_) + "/";
}

void WorkbenchServer::routes() {
    auto& h = *http_;
    h.set_read_timeout(10, 0);
    h.set_write_timeout(10, 0);
    h.set_keep_alive_max_count(1000);
    // An answer goes out as headers then body: with Nagle's algorithm the body would wait for
    // the client's delayed acknowledgement of the headers, some 40 ms on every request.
    h.set_tcp_nodelay(true);
    // A port another program listens on is refused. The library's default socket options ask
    // for SO_REUSEPORT, with which a second workbench on the same port would bind too and the
    // kernel would share the page's connections between the two (and their game folders).
    h.set_socket_options([](int sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    h.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            sendError(res, res.status, statusText(res.status));
            return httplib::Server::HandlerResponse::Handled;
        }));
    h.set_exception_handler([](const httplib::Request&, httplib::Response& res,
                               std::exception_ptr) { sendError(res, 500, "internal error"); });
    if (!config_.webDir.empty()) h.set_mount_point("/", config_.webDir.string());

    h.Get("/api/vocabulary", guarded(lab_, [this](const httplib::Request&, httplib::Response& res) {
              sendJson(res, lab_.vocabulary());
          }));
    h.Get("/api/presets", guarded(lab_, [this](const httplib::Request&, httplib::Response& res) {
              sendJson(res, lab_.presets());
          }));
    h.postJson(
        "/api/fly", guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
            const FlyRequest r = decodeFly(req.body, lab_.ranges());
            res.body = lab_.fly(
                r, clientOf(req),
                lab_.nextTicket(
                    clientOf(req)));  // moved in: the answer is most of a slider move's bytes
            res.set_header("Content-Type", "application/json");
        }));
    h.postJson("/api/grid",
               guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
                   sendJson(res, lab_.grid(decodeGrid(req.body, lab_.ranges())));
               }));
    h.postJson("/api/hud",
               guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
                   res.set_content(lab_.hudPng(decodeHud(req.body, lab_.ranges())), "image/png");
               }));
    h.postJson("/api/save",
               guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
                   sendJson(res, lab_.save(decodeSave(req.body, lab_.ranges())));
               }));
    h.postJson("/api/preset-file",
               guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
                   res.set_header("Content-Disposition", "attachment; filename=\"preset.txt\"");
                   res.set_content(lab_.presetFile(decodePresetFile(req.body, lab_.ranges())),
                                   "text/plain");
               }));
    h.postJson("/api/preset-text",
               guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
                   sendJson(res, lab_.readPresetText(decodePresetText(req.body)));
               }));
    h.postJson("/api/tune/cancel",
               guarded(lab_, [this](const httplib::Request&, httplib::Response& res) {
                   cancelTune_ = true;
                   sendJson(res, {{"cancelling", true}});
               }));
    // The tune answers with one JSON object per line: progress as it goes, then the result.
    h.postJson(
        "/api/tune", guarded(lab_, [this](const httplib::Request& req, httplib::Response& res) {
            const TuneRequest request = decodeTune(req.body, lab_.ranges());
            if (!lab_.claimTune())
                throw WorkError{409, "a tune is running already: cancel it or wait for its end"};
            cancelTune_ = false;
            // The slot is freed before the last line goes out, so that a client may start the next
            // tune the moment it reads it; or, when the stream never got that far, once it is
            // closed. Freed once only: by then the slot may be another tune's.
            auto release = [this, once = std::make_shared<std::atomic<bool>>(false)] {
                if (!once->exchange(true)) lab_.releaseTune();
            };
            res.set_chunked_content_provider(
                "application/x-ndjson",
                [this, request, release](std::size_t, httplib::DataSink& sink) {
                    auto send = [&sink](const json& j) {
                        const std::string line = j.dump() + "\n";
                        return sink.write(line.data(), line.size());
                    };
                    auto last = std::chrono::steady_clock::now() - kProgressEvery;
                    json result;
                    try {
                        result = lab_.tune(request, [&](int done, int budget, double bestError) {
                            if (cancelTune_) return false;
                            const auto now = std::chrono::steady_clock::now();
                            if (now - last < kProgressEvery) return true;
                            last = now;
                            return send({{"type", "progress"},
                                         {"done", done},
                                         {"budget", budget},
                                         {"bestError", bestError}});
                        });
                        result["type"] = result["cancelled"].get<bool>() ? "cancelled" : "result";
                    } catch (const RequestError& e) {
                        result = {{"type", "error"},
                                  {"error", e.field + ": " + e.message},
                                  {"field", e.field}};
                    } catch (const std::exception& e) {
                        result = {{"type", "error"}, {"error", e.what()}};
                    }
                    release();
                    send(result);
                    sink.done();
                    return true;
                },
                [release](bool) { release(); });
        }));
}

}  // namespace flightlab::server
