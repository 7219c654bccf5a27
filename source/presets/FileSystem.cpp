// The file-system calls that read the same on every platform, over the platform's Reader.
#include "presets/FileSystem.h"

#include <algorithm>

#include "presets/FileReader.h"

namespace wlfs {

namespace {

// Up to `limit` bytes into `content`; `longer` tells whether the file holds more.
ReadResult readUpTo(const std::string& path, std::size_t limit, std::string& content,
                    std::string& error, bool& longer) {
    content.clear();
    longer = false;
    detail::Reader reader;
    const ReadResult opened = reader.open(path, error);
    if (opened != ReadResult::Ok) return opened;
    char buffer[8192];
    for (;;) {
        // One byte beyond the limit tells a file of exactly `limit` bytes from a longer one.
        const std::size_t wanted = (std::min)(sizeof buffer, limit + 1 - content.size());
        const long got = reader.read(buffer, wanted, error);
        if (got < 0) return ReadResult::ReadFailed;
        if (got == 0) return ReadResult::Ok;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > limit) {
            content.resize(limit);
            longer = true;
            return ReadResult::Ok;
        }
    }
}

}  // namespace

ReadResult readFile(const std::string& path, std::size_t limit, std::string& content,
                    std::string& error) {
    bool longer = false;
    const ReadResult result = readUpTo(path, limit, content, error, longer);
    if (result == ReadResult::Ok && longer) {
        content.clear();
        error = detail::kTooLarge;
        return ReadResult::ReadFailed;
    }
    return result;
}

ReadResult readFilePrefix(const std::string& path, std::size_t limit, std::string& content,
                          bool& longer, std::string& error) {
    return readUpTo(path, limit, content, error, longer);
}

}  // namespace wlfs
