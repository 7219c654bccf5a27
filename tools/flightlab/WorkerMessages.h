// The messages between the lab and its workers: a byte count, then fields in a fixed order.
// Both ends are this program.
#pragma once
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "Flight.h"
#include "Workers.h"

namespace flightlab::wire {

// Builds one message.
class Writer {
public:
    // Room for `expected` bytes of fields after the length.
    explicit Writer(std::size_t expected = 64) {
        bytes_.reserve(sizeof(std::uint32_t) + expected);
        bytes_.resize(sizeof(std::uint32_t));
    }
    template <typename T>
        requires std::is_arithmetic_v<T>
    void put(T v) {
        const auto* p = reinterpret_cast<const char*>(&v);
        bytes_.append(p, sizeof v);
    }
    void put(const std::string& s) {
        put(static_cast<std::uint32_t>(s.size()));
        bytes_ += s;
    }
    // The message: the length of the fields, then the fields.
    std::string frame() && {
        const auto size = static_cast<std::uint32_t>(bytes_.size() - sizeof(std::uint32_t));
        std::memcpy(bytes_.data(), &size, sizeof size);
        return std::move(bytes_);
    }

private:
    std::string bytes_;
};

class Reader {
public:
    explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
    template <typename T>
        requires std::is_arithmetic_v<T>
    T get() {
        T v{};
        need(sizeof v);
        std::memcpy(&v, bytes_.data() + pos_, sizeof v);
        pos_ += sizeof v;
        return v;
    }
    std::string text() {
        const auto n = get<std::uint32_t>();
        need(n);
        std::string s = bytes_.substr(pos_, n);
        pos_ += n;
        return s;
    }

private:
    void need(std::size_t n) const {
        if (bytes_.size() - pos_ < n) throw std::runtime_error("a worker's message was cut short");
    }
    std::string bytes_;
    std::size_t pos_ = 0;
};

void writeAll(int fd, const std::string& bytes);
// Reads one message's fields into `bytes`; false at the end of the stream before any byte.
bool readFrame(int fd, std::string& bytes);

std::string encodeJob(const Job& job);
Job decodeJob(Reader& r);
std::string encodeFlight(const Flight& f);
// How a job failed: an error, or the plug-in declining it (JobRefused).
enum class ErrorKind : std::uint8_t { Failed, Refused, Conflict };

// Throws the worker's error when the job failed: JobRefused when the plug-in declined it.
Flight decodeFlight(Reader& r);
std::string encodeError(const std::string& message, ErrorKind kind = ErrorKind::Failed);

}  // namespace flightlab::wire
