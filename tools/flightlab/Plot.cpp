// Pictures of flights drawn with Cairo: a chart's panels, legend or colour bar, and insets.
#include "Plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "canvas/PngRasterizer.h"

namespace flightlab {

namespace {

constexpr int kWidthPx = 1400;
// A picture of one panel is this high; each further panel adds kPanelPx.
constexpr int kHeightPx = 800;
constexpr double kPanelPx = 420;
constexpr double kLeftPx = 90, kRightPx = 330, kTopPx = 60, kBottomPx = 70, kPanelGapPx = 70;
constexpr double kPlotWPx = kWidthPx - kLeftPx - kRightPx;
// The inset sits in the margin below the legend, so that it hides no line.
constexpr double kInsetWPx = 240, kInsetHPx = 170;
constexpr double kInsetLeftPx = kWidthPx - kRightPx + 70;
constexpr double kMarkerPx = 5;

// A data rectangle mapped onto a pixel rectangle.
struct Frame {
    double x0, y0, x1, y1;        // data
    double left, top, w, h;       // pixels
    double px(double x) const { return left + (x - x0) / (x1 - x0) * w; }
    double py(double y) const { return top + h - (y - y0) / (y1 - y0) * h; }
};

struct Picture {
    explicit Picture(int heightPx)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidthPx, heightPx), cairo_surface_destroy),
          holder(cairo_create(surface.get()), cairo_destroy),
          cr(holder.get()) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface;
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> holder;
    cairo_t* cr;

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

void drawAxisTitles(Picture& p, const Frame& f, const std::string& xLabel, const std::string& yLabel) {
    p.colour({0, 0, 0});
    p.text(f.left + f.w / 2, f.top + f.h + 48, xLabel, 15, true);
    cairo_save(p.cr);
    cairo_move_to(p.cr, 28, f.top + f.h / 2 + p.textWidth(yLabel, 15) / 2);
    cairo_rotate(p.cr, -M_PI / 2);
    cairo_set_font_size(p.cr, 15);
    cairo_show_text(p.cr, yLabel.c_str());
    cairo_restore(p.cr);
}

void setDash(Picture& p, Dash dash) {
    static constexpr double kDashed[] = {10, 6}, kDotted[] = {2, 4}, kDashDot[] = {10, 4, 2, 4},
                            kLong[] = {22, 7}, kDashDotDot[] = {10, 4, 2, 4, 2, 4};
    switch (dash) {
        case Dash::Solid: cairo_set_dash(p.cr, nullptr, 0, 0); break;
        case Dash::Dashed: cairo_set_dash(p.cr, kDashed, 2, 0); break;
        case Dash::Dotted: cairo_set_dash(p.cr, kDotted, 2, 0); break;
        case Dash::DashDot: cairo_set_dash(p.cr, kDashDot, 4, 0); break;
        case Dash::LongDash: cairo_set_dash(p.cr, kLong, 2, 0); break;
        case Dash::DashDotDot: cairo_set_dash(p.cr, kDashDotDot, 6, 0); break;
    }
}

// A filled dot for a touchdown, an open square for a flight cut off at the time limit.
void drawEndMarker(Picture& p, double x, double y, bool landed) {
    cairo_set_dash(p.cr, nullptr, 0, 0);
    if (landed) {
        cairo_arc(p.cr, x, y, kMarkerPx, 0, 2 * M_PI);
        cairo_fill(p.cr);
    } else {
        cairo_set_line_width(p.cr, 2);
        cairo_rectangle(p.cr, x - kMarkerPx, y - kMarkerPx, 2 * kMarkerPx, 2 * kMarkerPx);
        cairo_stroke(p.cr);
    }
}

// An open triangle pointing back, where a flight turning back was farthest along its heading.
void drawTurnMarker(Picture& p, double x, double y) {
    cairo_set_dash(p.cr, nullptr, 0, 0);
    cairo_set_line_width(p.cr, 2);
    const double r = kMarkerPx + 2;
    cairo_move_to(p.cr, x - r, y);
    cairo_line_to(p.cr, x + r, y - r);
    cairo_line_to(p.cr, x + r, y + r);
    cairo_close_path(p.cr);
    cairo_stroke(p.cr);
}

void drawSeries(Picture& p, const Frame& f, const Series& s) {
    if (s.points.empty()) return;
    p.colour(s.colour);
    cairo_set_line_width(p.cr, 2.2);
    cairo_set_line_join(p.cr, CAIRO_LINE_JOIN_ROUND);
    setDash(p, s.dash);
    bool first = true;
    for (const auto& [x, y] : s.points) {
        if (first) cairo_move_to(p.cr, f.px(x), f.py(y)); else cairo_line_to(p.cr, f.px(x), f.py(y));
        first = false;
    }
    cairo_stroke(p.cr);
    drawEndMarker(p, f.px(s.points.back().first), f.py(s.points.back().second), s.landed);
    if (s.turn) drawTurnMarker(p, f.px(s.turn->first), f.py(s.turn->second));
}

// The series too short to see at full scale, again in a box beside the panel, zoomed to their
// own extent.
void drawInset(Picture& p, const Frame& full, const Panel& panel) {
    if (panel.inset.empty()) return;
    double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
    for (std::size_t i : panel.inset)
        for (const auto& [x, y] : panel.series[i].points)
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    const double padX = std::max(1.0, (x1 - x0) * 0.15), padY = std::max(1.0, (y1 - y0) * 0.15);
    const double h = std::min(kInsetHPx, full.h * 0.6);
    const Frame inset{x0 - padX, y0 - padY, x1 + padX, y1 + padY,
                      kInsetLeftPx, full.top + full.h - h, kInsetWPx, h};
    drawGrid(p, inset, 10);
    p.colour({0.2, 0.2, 0.2});
    p.text(inset.left, inset.top - 6, "short flights, zoomed", 12);
    cairo_save(p.cr);
    cairo_rectangle(p.cr, inset.left, inset.top, inset.w, inset.h);
    cairo_clip(p.cr);
    for (std::size_t i : panel.inset) drawSeries(p, inset, panel.series[i]);
    cairo_restore(p.cr);
}

// The marker explanations below the legend or the colour bar; returns the y below them.
double drawMarkerKey(Picture& p, double x, double y, bool turned) {
    p.colour({0.1, 0.1, 0.1});
    drawEndMarker(p, x + 15, y, true);
    p.text(x + 38, y + 5, "touchdown", 13);
    drawEndMarker(p, x + 15, y + 22, false);
    p.text(x + 38, y + 27, "cut off at the time limit", 13);
    if (!turned) return y + 44;
    drawTurnMarker(p, x + 15, y + 44);
    p.text(x + 38, y + 49, "turned back here", 13);
    return y + 66;
}

void drawLegend(Picture& p, const Chart& c, double top) {
    const double x = kWidthPx - kRightPx + 20;
    double y = top + 14;
    for (const LegendEntry& e : c.legend) {
        p.colour(e.colour);
        cairo_set_line_width(p.cr, 2.2);
        setDash(p, e.dash);
        cairo_move_to(p.cr, x, y);
        cairo_line_to(p.cr, x + 30, y);
        cairo_stroke(p.cr);
        p.colour({0.1, 0.1, 0.1});
        // Long labels shrink to fit the margin rather than run off the picture.
        const double room = kWidthPx - (x + 38) - 6;
        p.text(x + 38, y + 5, e.label, std::max(9.0, std::min(14.0, 14 * room / p.textWidth(e.label, 14))));
        y += 24;
    }
    drawMarkerKey(p, x, y + 14, c.anyTurnedBack);
}

void drawColourBar(Picture& p, const Chart& c, double top, double height) {
    const ColourBar& bar = *c.colourBar;
    const double x = kWidthPx - kRightPx + 40, w = 24, h = std::max(100.0, height - 120);
    top += 30;
    for (int i = 0; i < static_cast<int>(h); ++i) {
        p.colour(sweepColour(1.0 - i / h));
        cairo_rectangle(p.cr, x, top + i, w, 1.5);
        cairo_fill(p.cr);
    }
    p.colour({0, 0, 0});
    cairo_set_line_width(p.cr, 1);
    cairo_rectangle(p.cr, x, top, w, h);
    cairo_stroke(p.cr);
    p.text(x, top - 12, bar.name, 14);
    p.text(x + w + 8, top + 5, number(bar.high), 13);
    p.text(x + w + 8, top + h + 5, number(bar.low), 13);
    drawMarkerKey(p, x - 3, top + h + 40, c.anyTurnedBack);
}

}  // namespace

std::string writeChart(const std::filesystem::path& file, const Chart& chart) {
    const std::size_t panels = std::max<std::size_t>(1, chart.panels.size());
    const double panelH = panels == 1 ? kHeightPx - kTopPx - kBottomPx : kPanelPx - kPanelGapPx;
    const int height = panels == 1 ? kHeightPx
                                   : static_cast<int>(kTopPx + kBottomPx + panels * kPanelPx - kPanelGapPx);
    Picture p(height);
    p.colour({0, 0, 0});
    p.text(kLeftPx + kPlotWPx / 2, 35, chart.title, 18, true);
    for (std::size_t i = 0; i < chart.panels.size(); ++i) {
        const Panel& panel = chart.panels[i];
        const Frame frame{panel.x0, panel.y0, panel.x1, panel.y1,
                          kLeftPx, kTopPx + static_cast<double>(i) * kPanelPx, kPlotWPx, panelH};
        drawGrid(p, frame, 13);
        drawAxisTitles(p, frame, panel.xLabel, panel.yLabel);
        cairo_save(p.cr);
        cairo_rectangle(p.cr, frame.left - kMarkerPx - 2, frame.top - kMarkerPx - 2,
                        frame.w + 2 * kMarkerPx + 4, frame.h + 2 * kMarkerPx + 4);
        cairo_clip(p.cr);
        for (const Series& s : panel.series) drawSeries(p, frame, s);
        cairo_restore(p.cr);
        drawInset(p, frame, panel);
    }
    if (chart.colourBar) drawColourBar(p, chart, kTopPx, panelH);
    else drawLegend(p, chart, kTopPx);
    return p.save(file);
}

namespace {

constexpr double kHeatRightPx = 170, kHeatRowPx = 300, kHeatGapPx = 70, kHeatTopPx = 70;

// A launch part's value on an axis: four significant digits are enough to tell the steps apart.
std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

std::string cellText(double v, double limit) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%+.*f", limit < 10 ? 2 : limit < 100 ? 1 : 0, v);
    return std::abs(v) < 1e-12 ? std::string(buf + 1) : std::string(buf);
}

void drawHeatPanel(Picture& p, const HeatMap& m, const HeatPanel& panel, double left, double top,
                   double w, double h) {
    const std::size_t nx = std::max<std::size_t>(1, m.xs.size()), ny = std::max<std::size_t>(1, m.ys.size());
    const double cw = w / static_cast<double>(nx), ch = h / static_cast<double>(ny);
    for (std::size_t y = 0; y < ny; ++y) {
        for (std::size_t x = 0; x < nx; ++x) {
            const double v = panel.cells[y * nx + x];
            const Rgb c = divergingColour(v, m.limit);
            // Rows go up with the second launch part, as on an axis.
            const double cx = left + static_cast<double>(x) * cw, cy = top + h - static_cast<double>(y + 1) * ch;
            p.colour(c);
            cairo_rectangle(p.cr, cx, cy, cw, ch);
            cairo_fill(p.cr);
            if (cw > 44 && ch > 18) {
                const double luminance = 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
                p.colour(luminance < 0.5 ? Rgb{1, 1, 1} : Rgb{0.1, 0.1, 0.1});
                p.text(cx + cw / 2, cy + ch / 2 + 5, cellText(v, m.limit), std::min(13.0, ch * 0.6), true);
            }
        }
    }
    p.colour({0, 0, 0});
    cairo_set_line_width(p.cr, 1);
    cairo_rectangle(p.cr, left, top, w, h);
    cairo_stroke(p.cr);
    p.text(left, top - 10, panel.label, 14);
    p.colour({0.2, 0.2, 0.2});
    const std::size_t everyX = std::max<std::size_t>(1, nx / 10), everyY = std::max<std::size_t>(1, ny / 10);
    for (std::size_t x = 0; x < m.xs.size(); x += everyX)
        p.text(left + (static_cast<double>(x) + 0.5) * cw, top + h + 16, shortNumber(m.xs[x]), 12, true);
    if (!m.yName.empty())
        for (std::size_t y = 0; y < m.ys.size(); y += everyY) {
            const std::string label = shortNumber(m.ys[y]);
            p.text(left - p.textWidth(label, 12) - 6, top + h - (static_cast<double>(y) + 0.5) * ch + 5, label, 12);
        }
    p.text(left + w / 2, top + h + 36, m.xName, 13, true);
    if (!m.yName.empty()) {
        cairo_save(p.cr);
        cairo_move_to(p.cr, left - 50, top + h / 2 + p.textWidth(m.yName, 13) / 2);
        cairo_rotate(p.cr, -M_PI / 2);
        cairo_set_font_size(p.cr, 13);
        cairo_show_text(p.cr, m.yName.c_str());
        cairo_restore(p.cr);
    }
}

}  // namespace

std::string writeHeatMap(const std::filesystem::path& file, const HeatMap& m) {
    const std::size_t n = std::max<std::size_t>(1, m.panels.size());
    const std::size_t cols = std::min<std::size_t>(n, 3), rows = (n + cols - 1) / cols;
    const double rowH = m.ys.size() > 1 ? kHeatRowPx : 90;
    const double w = (kWidthPx - kLeftPx - kHeatRightPx - kHeatGapPx * static_cast<double>(cols - 1)) /
                     static_cast<double>(cols);
    const int height = static_cast<int>(kHeatTopPx + static_cast<double>(rows) * (rowH + kHeatGapPx + 20) + 20);
    Picture p(height);
    p.colour({0, 0, 0});
    p.text((kWidthPx - kHeatRightPx) / 2, 32, m.title, 17, true);
    for (std::size_t i = 0; i < m.panels.size(); ++i) {
        const double left = kLeftPx + static_cast<double>(i % cols) * (w + kHeatGapPx);
        const double top = kHeatTopPx + static_cast<double>(i / cols) * (rowH + kHeatGapPx + 20);
        drawHeatPanel(p, m, m.panels[i], left, top, w, rowH);
    }
    // The colour bar: -limit at the bottom, +limit at the top.
    const double x = kWidthPx - kHeatRightPx + 40, top = kHeatTopPx + 20, h = std::min(300.0, height - top - 60.0);
    for (int i = 0; i < static_cast<int>(h); ++i) {
        p.colour(divergingColour(m.limit * (1 - 2.0 * i / h), m.limit));
        cairo_rectangle(p.cr, x, top + i, 24, 1.5);
        cairo_fill(p.cr);
    }
    p.colour({0, 0, 0});
    cairo_rectangle(p.cr, x, top, 24, h);
    cairo_stroke(p.cr);
    p.text(x - 20, top - 22, m.valueName, 13);
    p.text(x - 20, top - 8, "minus stock", 13);
    p.text(x + 32, top + 5, cellText(m.limit, m.limit), 12);
    p.text(x + 32, top + h / 2 + 5, "0", 12);
    p.text(x + 32, top + h + 5, cellText(-m.limit, m.limit), 12);
    return p.save(file);
}

}  // namespace flightlab

// Fontconfig, which Cairo's text uses, keeps its caches until the process ends; that is
// not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
