// Reads back PNG pictures in tests: the header's size and the decoded pixels.
#include "wltest/PngProbe.h"

#include <cairo.h>

#include <cstring>

#include "wltest/HostRunner.h"

namespace wltest {

std::optional<PngSize> readPngSize(const std::filesystem::path& path) {
    const std::string bytes = readFile(path);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), signature, 8) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    const auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return PngSize{be32(16), be32(20)};
}

std::optional<PngPixels> decodePng(const std::filesystem::path& path) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return std::nullopt;
    }
    cairo_surface_t* argb = surface;
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        // Opaque pictures decode as RGB24; redraw them as ARGB32 so every pixel reads the same way.
        argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(surface),
                                          cairo_image_surface_get_height(surface));
        cairo_t* cr = cairo_create(argb);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    cairo_surface_flush(argb);
    PngPixels pixels;
    pixels.width = cairo_image_surface_get_width(argb);
    pixels.height = cairo_image_surface_get_height(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    const unsigned char* data = cairo_image_surface_get_data(argb);
    pixels.argb.reserve(static_cast<std::size_t>(pixels.width) * pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        pixels.argb.insert(pixels.argb.end(), row, row + pixels.width);
    }
    if (argb != surface) cairo_surface_destroy(argb);
    cairo_surface_destroy(surface);
    return pixels;
}

}  // namespace wltest
