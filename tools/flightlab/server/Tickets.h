// Tickets of the workbench's fly requests, per client: a client's newer request supersedes its
// older ones, never another client's.
#pragma once
#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace flightlab::server {

class FlyTickets {
public:
    // The newest fly ticket of at most this many clients is kept.
    static constexpr std::size_t kMaxClients = 1024;

    // A ticket for a fly request of CLIENT.
    std::uint64_t next(const std::string& client) {
        std::lock_guard lock(mutex_);
        // The clients of long ago are forgotten: a page that is still open just flies its next
        // request.
        if (newest_.size() >= kMaxClients && newest_.count(client) == 0)
            newest_.erase(
                std::min_element(newest_.begin(), newest_.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; }));
        return newest_[client] = ++last_;
    }
    // True when CLIENT took a newer ticket than TICKET since.
    bool superseded(const std::string& client, std::uint64_t ticket) {
        std::lock_guard lock(mutex_);
        const auto newest = newest_.find(client);
        return newest != newest_.end() && ticket < newest->second;
    }

private:
    std::mutex mutex_;
    std::uint64_t last_ = 0;
    std::map<std::string, std::uint64_t> newest_;  // each client's newest ticket
};

}  // namespace flightlab::server
