// Reading console lines from a file, a descriptor or a text: bounded lines, read errors told
// apart from the end of input.
#include "console/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "common/SharedRead.h"

namespace host {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

// Editors on Windows put a UTF-8 byte-order mark before the first line of a file they save.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The line as read: without its CR of a CR LF end, and the first without a byte-order mark.
void trimLine(std::string& line, long number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
}

}  // namespace

LineReader::~LineReader() {
    if (ownedFd_ >= 0) closeShared(ownedFd_);
}

bool LineReader::open(const std::filesystem::path& path, std::string& error) {
    // Shared for deletion on Windows: config.cfg and scripts may be replaced while being read.
    const int fd = openSharedForReading(path);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    attach(fd);
    ownedFd_ = fd;
    return true;
}

void LineReader::attach(int fd) {
    source_ = [fd](char* buf, std::size_t n) { return readShared(fd, buf, n); };
}

void LineReader::setText(std::string text) {
    source_ = [text = std::move(text), at = std::size_t{0}](char* buf, std::size_t n) mutable {
        const std::size_t count = std::min(n, text.size() - at);
        std::memcpy(buf, text.data() + at, count);
        at += count;
        return static_cast<long>(count);
    };
}

LineReader::Status LineReader::next(std::string& line) {
    if (stop_ != Status::Line) return stop_;
    for (;;) {
        const std::size_t end = buffer_.find('\n', scanned_);
        if (end != std::string::npos || buffer_.size() - pos_ > kMaxLineBytes) {
            ++number_;
            if (end == std::string::npos || end - pos_ > kMaxLineBytes) return stop_ = Status::TooLong;
            line.assign(buffer_, pos_, end - pos_);
            pos_ = scanned_ = end + 1;
            trimLine(line, number_);
            return Status::Line;
        }
        buffer_.erase(0, pos_);
        pos_ = 0;
        scanned_ = buffer_.size();
        const std::size_t old = buffer_.size();
        buffer_.resize(old + kChunkBytes);
        const long got = source_ ? source_(buffer_.data() + old, kChunkBytes) : 0;
        buffer_.resize(old + static_cast<std::size_t>(got > 0 ? got : 0));
        if (got < 0) {
            if (errno == EINTR) return Status::Interrupted;
            error_ = std::strerror(errno);
            return stop_ = Status::Error;
        }
        if (got == 0) {
            stop_ = Status::End;
            if (buffer_.empty()) return stop_;
            ++number_;
            line = std::move(buffer_);
            buffer_.clear();
            trimLine(line, number_);
            return Status::Line;
        }
    }
}

}  // namespace host
