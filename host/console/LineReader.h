// Reading console lines from a file, a descriptor or a text: bounded lines, read errors told
// apart from the end of input.
#pragma once
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace host {

class LineReader {
public:
    // Longer lines are refused: the rest of such a source (/dev/zero, a binary file) is no
    // console input.
    static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

    enum class Status {
        Line,         // a line was read
        End,          // end of input
        TooLong,      // the next line exceeds kMaxLineBytes; the source is given up
        Error,        // the source failed (see error()); the source is given up
        Interrupted,  // a signal interrupted the wait for input; next() may be called again
    };

    // Reads up to N bytes into BUF: the count, 0 at the end, -1 with errno set on failure.
    using Source = std::function<long(char* buf, std::size_t n)>;

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Reads the file at PATH. False, with ERROR set, when it cannot be opened.
    bool open(const std::filesystem::path& path, std::string& error);
    // Reads the descriptor, which stays open afterwards (standard input).
    void attach(int fd);
    // Reads the text (tests and fuzzing).
    void setText(std::string text);

    // The next line without its end (LF or CR LF) into LINE; a UTF-8 byte-order mark before
    // the first line is dropped. A last line without a line end is a line too.
    Status next(std::string& line);
    // Number of the line last returned or refused, from 1.
    long lineNumber() const { return number_; }
    // Why the source failed, after Status::Error.
    const std::string& error() const { return error_; }

private:
    Source source_;
    int ownedFd_ = -1;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t scanned_ = 0;     // buffer_ up to here holds no line end
    Status stop_ = Status::Line;  // End, Error or TooLong once the source is finished
    long number_ = 0;
    std::string error_;
};

}  // namespace host
