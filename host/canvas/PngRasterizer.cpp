// Rasterizes a recorded frame with Cairo: antialiased shapes, alpha blending, DejaVu Sans text.
#include "canvas/PngRasterizer.h"

#ifdef WINGLEAF_HAVE_CAIRO
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "canvas/TextMetrics.h"
#include "common/AtomicFile.h"
#endif

namespace host {

#ifndef WINGLEAF_HAVE_CAIRO

bool canWritePng() { return false; }

std::string writeFramePng(const RecordingCanvas&, const std::string&) {
    return "this host was built without Cairo (WINGLEAF_WITH_CAIRO=OFF); PNG output is unavailable";
}

std::string writeOpaquePng(_cairo_surface*, const std::string&) {
    return "this host was built without Cairo (WINGLEAF_WITH_CAIRO=OFF); PNG output is unavailable";
}

#else

namespace {

// Cairo refuses surfaces larger than this on either side.
constexpr int kMaxSide = 32767;
// The neutral grey the frame is drawn over.
constexpr double kBackground = 150.0 / 255.0;

// Cairo and fontconfig keep font caches for the life of the process; releasing them at exit
// keeps leak checkers quiet about memory that is not lost.
void releaseFontCachesAtExit() {
    static const bool registered = [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
        return true;
    }();
    (void)registered;
}

bool finite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Encodes the surface's rows as RGB. False when libpng fails (it has then said why).
bool encodeRgb(FILE* out, cairo_surface_t* surface) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || data == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Unfiltered rows at the fastest level: the smallest files of the quick settings for
    // pictures that are mostly one colour.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        const auto* px = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) {
            row[x * 3] = static_cast<unsigned char>(px[x] >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(px[x] >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(px[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

class Replayer {
public:
    explicit Replayer(cairo_t* cr) : cr_(cr) {
        cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    }

    void run(const CanvasOp& op) {
        using K = CanvasOp::Kind;
        switch (op.kind) {
            case K::SetPosition:
                if (finite({op.x, op.y})) {
                    x_ = op.x;
                    y_ = op.y;
                }
                break;
            case K::SetColor:
                r_ = op.r / 255.0;
                g_ = op.g / 255.0;
                b_ = op.b / 255.0;
                a_ = op.a / 255.0;
                break;
            case K::FillBox:
                if (!finite({op.x, op.y})) break;
                useColor();
                cairo_rectangle(cr_, x_, y_, op.x, op.y);
                cairo_fill(cr_);
                break;
            case K::DrawBox:
                if (!finite({op.x, op.y})) break;
                useColor();
                cairo_set_line_width(cr_, 1.0);
                cairo_rectangle(cr_, x_ + 0.5, y_ + 0.5, op.x - 1, op.y - 1);
                cairo_stroke(cr_);
                break;
            case K::DrawRect:
                if (!finite({op.x, op.y, op.x2, op.y2})) break;
                useColor();
                cairo_rectangle(cr_, op.x, op.y, op.x2 - op.x, op.y2 - op.y);
                cairo_fill(cr_);
                break;
            case K::DrawLine:
                if (!finite({op.x, op.y, op.x2, op.y2, op.width})) break;
                useColor();
                cairo_set_line_width(cr_, op.width > 0 ? op.width : 1.0);
                // Half-pixel offsets put a one-pixel line on a pixel row instead of between two.
                cairo_move_to(cr_, op.x + 0.5, op.y + 0.5);
                cairo_line_to(cr_, op.x2 + 0.5, op.y2 + 0.5);
                cairo_stroke(cr_);
                break;
            case K::FillTriangle:
                if (!finite({op.x, op.y, op.x2, op.y2, op.x3, op.y3})) break;
                useColor();
                cairo_move_to(cr_, op.x, op.y);
                cairo_line_to(cr_, op.x2, op.y2);
                cairo_line_to(cr_, op.x3, op.y3);
                cairo_close_path(cr_);
                cairo_fill(cr_);
                break;
            case K::DrawString:
                text(op);
                break;
            case K::GetSize:
            case K::GetPosition:
            case K::GetStringSize:
            case K::Project:
                break;
        }
    }

private:
    void useColor() { cairo_set_source_rgba(cr_, r_, g_, b_, a_); }

    // The position is the top-left corner of the text, as on the game's canvas.
    void text(const CanvasOp& op) {
        if (op.text.empty() || !finite({op.scaleX, op.scaleY}) || op.scaleX <= 0 || op.scaleY <= 0)
            return;
        cairo_save(cr_);
        cairo_set_font_size(cr_, kFontPixelSize);
        cairo_font_extents_t extents;
        cairo_font_extents(cr_, &extents);
        cairo_translate(cr_, x_, y_);
        cairo_scale(cr_, op.scaleX, op.scaleY);
        if (op.flag) {
            cairo_set_source_rgba(cr_, 0, 0, 0, a_);
            cairo_move_to(cr_, 1, extents.ascent + 1);
            cairo_show_text(cr_, op.text.c_str());
        }
        useColor();
        cairo_move_to(cr_, 0, extents.ascent);
        cairo_show_text(cr_, op.text.c_str());
        cairo_restore(cr_);
    }

    cairo_t* cr_;
    double x_ = 0, y_ = 0;
    double r_ = 1, g_ = 1, b_ = 1, a_ = 1;
};

}  // namespace

bool canWritePng() { return true; }

std::string writeFramePng(const RecordingCanvas& canvas, const std::string& path) {
    const int w = canvas.width(), h = canvas.height();
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        return "canvas size " + std::to_string(w) + "x" + std::to_string(h) +
               " cannot be rasterized (each side 1 to " + std::to_string(kMaxSide) + ")";

    releaseFontCachesAtExit();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        std::string why = cairo_status_to_string(cairo_surface_status(surface));
        cairo_surface_destroy(surface);
        return "cannot create the picture: " + why;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, kBackground, kBackground, kBackground);
    cairo_paint(cr);
    Replayer replayer(cr);
    for (const CanvasOp& op : canvas.ops()) replayer.run(op);
    std::string error;
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
        error = std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr));
    cairo_destroy(cr);

    // The background is opaque and every call blends over it, so the frame stays opaque.
    if (error.empty()) {
        cairo_surface_flush(surface);
        error = writeOpaquePng(surface, path);
    }
    cairo_surface_destroy(surface);
    return error;
}

std::string writeOpaquePng(cairo_surface_t* surface, const std::string& path) {
    FileReplacement out(path);
    if (!out.open()) return out.error();
    if (!encodeRgb(out.stream(), surface)) return "cannot write " + path;
    if (!out.commit()) return out.error();
    return "";
}

#endif

}  // namespace host
