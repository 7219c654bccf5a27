// Pictures of flights drawn with Cairo: side view, height and speed over time, sweeps.
#include "Plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "canvas/PngRasterizer.h"

namespace flightlab {

namespace {

constexpr int kWidthPx = 1400;
constexpr int kHeightPx = 800;
constexpr double kLeftPx = 90, kRightPx = 330, kTopPx = 60, kBottomPx = 70;
constexpr double kPlotWPx = kWidthPx - kLeftPx - kRightPx, kPlotHPx = kHeightPx - kTopPx - kBottomPx;
// A line whose extent is smaller than this on the full scale is repeated in the inset.
constexpr double kShortLinePx = 25;
// The inset sits in the margin below the legend, so that it hides no line.
constexpr double kInsetWPx = 240, kInsetHPx = 170;
constexpr double kInsetLeftPx = kWidthPx - kRightPx + 70, kInsetTopPx = kTopPx + kPlotHPx - kInsetHPx;
constexpr double kMarkerPx = 5;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kPalette[] = {{0.10, 0.10, 0.10}, {0.12, 0.47, 0.71}, {1.00, 0.50, 0.05},
                            {0.17, 0.63, 0.17}, {0.84, 0.15, 0.16}, {0.58, 0.40, 0.74},
                            {0.55, 0.34, 0.29}, {0.89, 0.47, 0.76}, {0.50, 0.50, 0.50},
                            {0.74, 0.74, 0.13}, {0.09, 0.75, 0.81}};
// Stops of the viridis map, dark to light.
constexpr Rgb kViridis[] = {{0.267, 0.005, 0.329}, {0.230, 0.322, 0.546}, {0.128, 0.567, 0.551},
                            {0.369, 0.789, 0.383}, {0.993, 0.906, 0.144}};

Rgb viridis(double t) {
    t = std::clamp(t, 0.0, 1.0) * 4;
    const auto i = std::min<std::size_t>(3, static_cast<std::size_t>(t));
    const double f = t - static_cast<double>(i);
    const Rgb a = kViridis[i], b = kViridis[i + 1];
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

// A round step that gives about five to ten gridlines over the span.
double niceStep(double span) {
    if (span <= 0) return 1;
    const double raw = span / 8;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag) return m * mag;
    return 10 * mag;
}

// One point of a flight in the plot's units.
using Project = std::function<std::pair<double, double>(const Flight&, const Sample&)>;

// A data rectangle mapped onto a pixel rectangle.
struct Frame {
    double x0, y0, x1, y1;        // data
    double left, top, w, h;       // pixels
    double px(double x) const { return left + (x - x0) / (x1 - x0) * w; }
    double py(double y) const { return top + h - (y - y0) / (y1 - y0) * h; }
};

struct Picture {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface{
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidthPx, kHeightPx), cairo_surface_destroy};
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> holder{cairo_create(surface.get()), cairo_destroy};
    cairo_t* cr = holder.get();

    Picture() {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
    void colour(const Rgb& c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }
    void text(double x, double y, const std::string& s, double size, bool centred = false) {
        cairo_set_font_size(cr, size);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, s.c_str(), &ext);
        cairo_move_to(cr, centred ? x - ext.width / 2 : x, y);
        cairo_show_text(cr, s.c_str());
    }
    double textWidth(const std::string& s, double size) {
        cairo_set_font_size(cr, size);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, s.c_str(), &ext);
        return ext.width;
    }
    std::string save(const std::filesystem::path& file) {
        cairo_surface_flush(surface.get());
        return host::writeOpaquePng(surface.get(), file.string());
    }
};

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

void drawGrid(Picture& p, const Frame& f, double fontPx) {
    const double stepX = niceStep(f.x1 - f.x0), stepY = niceStep(f.y1 - f.y0);
    cairo_set_line_width(p.cr, 1);
    for (double x = std::ceil(f.x0 / stepX) * stepX; x <= f.x1 + 1e-9 * stepX; x += stepX) {
        p.colour({0.88, 0.88, 0.88});
        cairo_move_to(p.cr, f.px(x), f.top);
        cairo_line_to(p.cr, f.px(x), f.top + f.h);
        cairo_stroke(p.cr);
        p.colour({0.2, 0.2, 0.2});
        p.text(f.px(x), f.top + f.h + fontPx + 6, number(std::abs(x) < 1e-9 * stepX ? 0 : x), fontPx, true);
    }
    for (double y = std::ceil(f.y0 / stepY) * stepY; y <= f.y1 + 1e-9 * stepY; y += stepY) {
        p.colour({0.88, 0.88, 0.88});
        cairo_move_to(p.cr, f.left, f.py(y));
        cairo_line_to(p.cr, f.left + f.w, f.py(y));
        cairo_stroke(p.cr);
        p.colour({0.2, 0.2, 0.2});
        const std::string label = number(std::abs(y) < 1e-9 * stepY ? 0 : y);
        p.text(f.left - p.textWidth(label, fontPx) - 8, f.py(y) + fontPx / 2 - 1, label, fontPx);
    }
    p.colour({0, 0, 0});
    cairo_set_line_width(p.cr, 1.5);
    cairo_rectangle(p.cr, f.left, f.top, f.w, f.h);
    cairo_stroke(p.cr);
}

void drawTitles(Picture& p, const std::string& title, const std::string& xLabel, const std::string& yLabel) {
    p.colour({0, 0, 0});
    p.text(kLeftPx + kPlotWPx / 2, kHeightPx - 22, xLabel, 15, true);
    cairo_save(p.cr);
    cairo_move_to(p.cr, 28, kTopPx + kPlotHPx / 2 + p.textWidth(yLabel, 15) / 2);
    cairo_rotate(p.cr, -M_PI / 2);
    cairo_set_font_size(p.cr, 15);
    cairo_show_text(p.cr, yLabel.c_str());
    cairo_restore(p.cr);
    p.text(kLeftPx + kPlotWPx / 2, 35, title, 18, true);
}

// A filled dot for a touchdown, an open square for a flight cut off at the time limit.
void drawEndMarker(Picture& p, double x, double y, bool landed) {
    if (landed) {
        cairo_arc(p.cr, x, y, kMarkerPx, 0, 2 * M_PI);
        cairo_fill(p.cr);
    } else {
        cairo_set_line_width(p.cr, 2);
        cairo_rectangle(p.cr, x - kMarkerPx, y - kMarkerPx, 2 * kMarkerPx, 2 * kMarkerPx);
        cairo_stroke(p.cr);
    }
}

void drawFlight(Picture& p, const Frame& f, const Flight& flight, const Project& project) {
    if (flight.samples.empty()) return;
    cairo_set_line_width(p.cr, 2.2);
    cairo_set_line_join(p.cr, CAIRO_LINE_JOIN_ROUND);
    bool first = true;
    for (const auto& s : flight.samples) {
        const auto [x, y] = project(flight, s);
        if (first) cairo_move_to(p.cr, f.px(x), f.py(y)); else cairo_line_to(p.cr, f.px(x), f.py(y));
        first = false;
    }
    cairo_stroke(p.cr);
    const auto [x, y] = project(flight, flight.samples.back());
    drawEndMarker(p, f.px(x), f.py(y), flight.landed);
}

struct Bounds {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    void add(double x, double y) {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
};

Bounds boundsOf(const Flight& flight, const Project& project) {
    Bounds b;
    for (const auto& s : flight.samples) {
        const auto [x, y] = project(flight, s);
        b.add(x, y);
    }
    return b;
}

// The full-scale frame: from 0 to a round figure above every flight.
Frame mainFrame(const std::vector<Flight>& flights, const Project& project) {
    double maxX = 1, maxY = 1;
    for (const auto& f : flights) {
        const Bounds b = boundsOf(f, project);
        maxX = std::max(maxX, b.x1), maxY = std::max(maxY, b.y1);
    }
    maxX = std::ceil(maxX / niceStep(maxX)) * niceStep(maxX);
    maxY = std::ceil(maxY / niceStep(maxY)) * niceStep(maxY);
    return {0, 0, maxX, maxY, kLeftPx, kTopPx, kPlotWPx, kPlotHPx};
}

bool isShort(const Flight& flight, const Frame& f, const Project& project) {
    const Bounds b = boundsOf(flight, project);
    return (b.x1 - b.x0) / (f.x1 - f.x0) * f.w < kShortLinePx &&
           (b.y1 - b.y0) / (f.y1 - f.y0) * f.h < kShortLinePx;
}

using ColourOf = std::function<Rgb(std::size_t)>;

// The flights too short to see at full scale, again in a box beside the plot, zoomed to their
// own extent.
void drawInset(Picture& p, const Frame& full, const std::vector<Flight>& flights,
               const Project& project, const ColourOf& colourOf) {
    Bounds b;
    std::vector<std::size_t> shortOnes;
    for (std::size_t i = 0; i < flights.size(); ++i) {
        if (!isShort(flights[i], full, project)) continue;
        shortOnes.push_back(i);
        const Bounds fb = boundsOf(flights[i], project);
        b.add(fb.x0, fb.y0), b.add(fb.x1, fb.y1);
    }
    if (shortOnes.empty()) return;
    const double padX = std::max(1.0, (b.x1 - b.x0) * 0.15), padY = std::max(1.0, (b.y1 - b.y0) * 0.15);
    const Frame inset{b.x0 - padX, b.y0 - padY, b.x1 + padX, b.y1 + padY,
                      kInsetLeftPx, kInsetTopPx, kInsetWPx, kInsetHPx};
    drawGrid(p, inset, 10);
    p.colour({0.2, 0.2, 0.2});
    p.text(inset.left, inset.top - 6, "short flights, zoomed", 12);
    cairo_save(p.cr);
    cairo_rectangle(p.cr, inset.left, inset.top, inset.w, inset.h);
    cairo_clip(p.cr);
    for (std::size_t i : shortOnes) {
        p.colour(colourOf(i));
        drawFlight(p, inset, flights[i], project);
    }
    cairo_restore(p.cr);
}

void drawLegend(Picture& p, const std::vector<Flight>& flights, const ColourOf& colourOf) {
    const double x = kWidthPx - kRightPx + 20;
    double y = kTopPx + 14;
    for (std::size_t i = 0; i < flights.size(); ++i, y += 24) {
        p.colour(colourOf(i));
        cairo_set_line_width(p.cr, 2.2);
        cairo_move_to(p.cr, x, y);
        cairo_line_to(p.cr, x + 30, y);
        cairo_stroke(p.cr);
        p.colour({0.1, 0.1, 0.1});
        p.text(x + 38, y + 5, flights[i].setup.label, 14);
    }
    y += 14;
    p.colour({0.1, 0.1, 0.1});
    drawEndMarker(p, x + 15, y, true);
    p.text(x + 38, y + 5, "touchdown", 13);
    drawEndMarker(p, x + 15, y + 22, false);
    p.text(x + 38, y + 27, "cut off at the time limit", 13);
}

void drawColourBar(Picture& p, const ColourScale& scale) {
    const double x = kWidthPx - kRightPx + 40, top = kTopPx + 30, h = kPlotHPx - 120, w = 24;
    for (int i = 0; i < static_cast<int>(h); ++i) {
        p.colour(viridis(1.0 - i / h));
        cairo_rectangle(p.cr, x, top + i, w, 1.5);
        cairo_fill(p.cr);
    }
    p.colour({0, 0, 0});
    cairo_set_line_width(p.cr, 1);
    cairo_rectangle(p.cr, x, top, w, h);
    cairo_stroke(p.cr);
    p.text(x, top - 12, scale.name, 14);
    p.text(x + w + 8, top + 5, number(scale.to), 13);
    p.text(x + w + 8, top + h + 5, number(scale.from), 13);
    drawEndMarker(p, x + 12, top + h + 40, true);
    p.text(x + 30, top + h + 45, "touchdown", 13);
    drawEndMarker(p, x + 12, top + h + 62, false);
    p.text(x + 30, top + h + 67, "cut off at the time limit", 13);
}

ColourOf coloursFor(const std::vector<Flight>& flights, const ColourScale* scale) {
    if (scale == nullptr)
        return [](std::size_t i) { return kPalette[i % (sizeof kPalette / sizeof kPalette[0])]; };
    return [&flights, scale](std::size_t i) {
        const auto& o = flights[i].setup.overrides;
        const double v = o.empty() ? scale->from : std::strtod(o.front().second.c_str(), nullptr);
        const double span = scale->to - scale->from;
        return viridis(span == 0 ? 0 : (v - scale->from) / span);
    };
}

std::string plot(const std::filesystem::path& file, const std::vector<Flight>& flights,
                 const Project& project, const std::string& title, const std::string& xLabel,
                 const std::string& yLabel, const ColourScale* scale) {
    Picture p;
    const Frame frame = mainFrame(flights, project);
    const ColourOf colourOf = coloursFor(flights, scale);
    drawGrid(p, frame, 13);
    drawTitles(p, title, xLabel, yLabel);
    for (std::size_t i = 0; i < flights.size(); ++i) {
        p.colour(colourOf(i));
        drawFlight(p, frame, flights[i], project);
    }
    drawInset(p, frame, flights, project, colourOf);
    if (scale != nullptr) drawColourBar(p, *scale); else drawLegend(p, flights, colourOf);
    return p.save(file);
}

}  // namespace

std::string writeSideView(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          const std::string& title, const ColourScale* scale) {
    const Project sideways = [](const Flight& f, const Sample& s) {
        const Sample& first = f.samples.front();
        return std::pair{std::hypot(s.x - first.x, s.y - first.y), s.z};
    };
    return plot(file, flights, sideways, title, "horizontal distance from release (uu)",
                "height (uu)", scale);
}

std::string writeTimePlot(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          Quantity quantity, const std::string& title) {
    const Project overTime = [quantity](const Flight&, const Sample& s) {
        const double y = quantity == Quantity::Height ? s.z
                                                      : std::sqrt(s.vx * s.vx + s.vy * s.vy + s.vz * s.vz);
        return std::pair{s.tick * kTickS, y};
    };
    return plot(file, flights, overTime, title, "time from release (s)",
                quantity == Quantity::Height ? "height (uu)" : "speed (uu/s)", nullptr);
}

}  // namespace flightlab

// Fontconfig, which Cairo's text uses, keeps its caches until the process ends; that is
// not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
