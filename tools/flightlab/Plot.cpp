// Side-view plot of flights: height over horizontal distance, one labelled line each.
#include "Plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace flightlab {

namespace {

constexpr int kWidthPx = 1400;
constexpr int kHeightPx = 800;
constexpr double kLeftPx = 90, kRightPx = 330, kTopPx = 60, kBottomPx = 70;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kPalette[] = {{0.10, 0.10, 0.10}, {0.12, 0.47, 0.71}, {1.00, 0.50, 0.05},
                            {0.17, 0.63, 0.17}, {0.84, 0.15, 0.16}, {0.58, 0.40, 0.74},
                            {0.55, 0.34, 0.29}, {0.89, 0.47, 0.76}, {0.50, 0.50, 0.50},
                            {0.74, 0.74, 0.13}, {0.09, 0.75, 0.81}};

// A round step that gives about five to ten gridlines over the span.
double niceStep(double span) {
    if (span <= 0) return 1;
    const double raw = span / 8;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag) return m * mag;
    return 10 * mag;
}

double horizontal(const Sample& s, const Sample& first) {
    return std::hypot(s.x - first.x, s.y - first.y);
}

}  // namespace

std::string writeSideView(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          const std::string& title) {
    double maxX = 1, maxZ = 1;
    for (const auto& f : flights) {
        if (f.samples.empty()) continue;
        for (const auto& s : f.samples) {
            maxX = std::max(maxX, horizontal(s, f.samples.front()));
            maxZ = std::max(maxZ, s.z);
        }
    }
    const double stepX = niceStep(maxX), stepZ = niceStep(maxZ);
    maxX = std::ceil(maxX / stepX) * stepX;
    maxZ = std::ceil(maxZ / stepZ) * stepZ;

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidthPx, kHeightPx),
        cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> crHolder(cairo_create(surface.get()),
                                                                 cairo_destroy);
    cairo_t* cr = crHolder.get();
    const double plotW = kWidthPx - kLeftPx - kRightPx, plotH = kHeightPx - kTopPx - kBottomPx;
    auto px = [&](double x) { return kLeftPx + x / maxX * plotW; };
    auto py = [&](double z) { return kTopPx + plotH - z / maxZ * plotH; };

    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    // Grid and tick labels.
    char buf[64];
    cairo_set_font_size(cr, 13);
    cairo_set_line_width(cr, 1);
    for (double x = 0; x <= maxX + 1e-9; x += stepX) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, px(x), kTopPx);
        cairo_line_to(cr, px(x), kTopPx + plotH);
        cairo_stroke(cr);
        std::snprintf(buf, sizeof buf, "%g", x);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, buf, &ext);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, px(x) - ext.width / 2, kTopPx + plotH + 20);
        cairo_show_text(cr, buf);
    }
    for (double z = 0; z <= maxZ + 1e-9; z += stepZ) {
        cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
        cairo_move_to(cr, kLeftPx, py(z));
        cairo_line_to(cr, kLeftPx + plotW, py(z));
        cairo_stroke(cr);
        std::snprintf(buf, sizeof buf, "%g", z);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, buf, &ext);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, kLeftPx - ext.width - 8, py(z) + ext.height / 2);
        cairo_show_text(cr, buf);
    }
    // Axes.
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, kLeftPx, kTopPx);
    cairo_line_to(cr, kLeftPx, kTopPx + plotH);
    cairo_line_to(cr, kLeftPx + plotW, kTopPx + plotH);
    cairo_stroke(cr);
    cairo_set_font_size(cr, 15);
    cairo_text_extents_t ext;
    const char* xLabel = "horizontal distance from release (uu)";
    cairo_text_extents(cr, xLabel, &ext);
    cairo_move_to(cr, kLeftPx + plotW / 2 - ext.width / 2, kHeightPx - 22);
    cairo_show_text(cr, xLabel);
    const char* zLabel = "height (uu)";
    cairo_text_extents(cr, zLabel, &ext);
    cairo_save(cr);
    cairo_move_to(cr, 28, kTopPx + plotH / 2 + ext.width / 2);
    cairo_rotate(cr, -M_PI / 2);
    cairo_show_text(cr, zLabel);
    cairo_restore(cr);
    cairo_set_font_size(cr, 18);
    cairo_text_extents(cr, title.c_str(), &ext);
    cairo_move_to(cr, kLeftPx + plotW / 2 - ext.width / 2, 35);
    cairo_show_text(cr, title.c_str());

    // One line per flight, and its legend entry.
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_font_size(cr, 14);
    int index = 0;
    for (const auto& f : flights) {
        const Rgb c = kPalette[index % (sizeof kPalette / sizeof kPalette[0])];
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        bool first = true;
        for (const auto& s : f.samples) {
            const double x = px(horizontal(s, f.samples.front())), y = py(s.z);
            if (first) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
            first = false;
        }
        cairo_stroke(cr);
        const double ly = kTopPx + 14 + index * 24;
        cairo_move_to(cr, kWidthPx - kRightPx + 20, ly);
        cairo_line_to(cr, kWidthPx - kRightPx + 50, ly);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_move_to(cr, kWidthPx - kRightPx + 58, ly + 5);
        cairo_show_text(cr, f.setup.label.c_str());
        ++index;
    }
    cairo_surface_flush(surface.get());
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), file.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        return std::string("cannot write ") + file.string() + ": " + cairo_status_to_string(status);
    return "";
}

}  // namespace flightlab

// Fontconfig, which Cairo's text uses, keeps its caches until the process ends; that is
// not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
