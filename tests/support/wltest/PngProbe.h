// Reads back PNG pictures in tests: the header's size and the decoded pixels.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace wltest {

struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Width and height from the IHDR chunk; nothing when the file is not a PNG.
std::optional<PngSize> readPngSize(const std::filesystem::path& path);

// The picture decoded: every pixel as 0xAARRGGBB (premultiplied, as Cairo stores it).
struct PngPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t at(int x, int y) const { return argb.at(static_cast<std::size_t>(y * width + x)); }
    std::size_t distinctColours() const { return std::set<std::uint32_t>(argb.begin(), argb.end()).size(); }
};

// Decodes with Cairo; nothing when Cairo cannot read the file.
std::optional<PngPixels> decodePng(const std::filesystem::path& path);

}  // namespace wltest
