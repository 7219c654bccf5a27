// The platform half of reading a file, shared by the POSIX and the Windows file-system calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "presets/FileSystem.h"

namespace wlfs::detail {

// Reasons of our own, worded alike on both platforms.
inline constexpr const char* kIsDirectory = "Is a directory";
inline constexpr const char* kNotRegular = "Not a regular file";
inline constexpr const char* kTooLarge = "File too large";

// An open regular file being read, closed on every way out.
class Reader {
public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader();

    // Opens a regular file (links followed) without waiting on a pipe or device.
    ReadResult open(const std::string& path, std::string& error);
    // Bytes read (0 at the end), or -1 with `error` set.
    long read(char* buffer, std::size_t size, std::string& error);

private:
    std::intptr_t handle_ = -1;  // a file descriptor, or a HANDLE on Windows
};

}  // namespace wlfs::detail
