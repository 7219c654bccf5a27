// Reading files that other programs may replace or remove at the same moment.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

namespace host {

// Opens PATH for reading as a C runtime descriptor, sharing the file with every other program:
// on Windows it is opened sharing reading, writing and deletion, so that a program replacing or
// removing the file while it is read is not refused (a rename over a file held without that share
// fails there). The descriptor, or -1 with errno set.
int openSharedForReading(const std::filesystem::path& path);

// Closes a descriptor from openSharedForReading.
void closeShared(int fd);

// Reads up to N bytes from the descriptor: the count, 0 at the end, -1 with errno set.
long readShared(int fd, char* buf, std::size_t n);

// The whole content of PATH, read through openSharedForReading. False, with ERROR set to the
// system's reason, when it cannot be opened or read.
bool readSharedFile(const std::filesystem::path& path, std::string& content, std::string& error);

}  // namespace host
