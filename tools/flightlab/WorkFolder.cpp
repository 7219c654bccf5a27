// The folder the workers play in.
#include "WorkFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace flightlab {

namespace fs = std::filesystem;

namespace {

// The game folders in a work folder are small and live for one run, and removing a dozen of
// them from a disk can take as long as the flights: memory-backed storage is preferred.
fs::path temporaryParent() {
    std::error_code ec;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec) &&
        ::access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    return fs::temp_directory_path();
}

}  // namespace

WorkFolder::WorkFolder(const fs::path& kept) : keep_(!kept.empty()) {
    if (keep_) {
        path_ = fs::absolute(kept);
        fs::create_directories(path_);
        return;
    }
    const fs::path parent = temporaryParent();
    std::string pattern = (parent / "wingleaf-flightlab-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder in " + parent.string());
    path_ = pattern;
}

WorkFolder::~WorkFolder() {
    std::error_code ec;
    if (!keep_) fs::remove_all(path_, ec);
}

}  // namespace flightlab
