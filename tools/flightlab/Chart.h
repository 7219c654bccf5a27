// What a picture of flights draws, as data: panels with their axis ranges, one series per flight
// with its colour, dash and markers, the legend or a colour bar. Built from the flights and their
// figures here; Plot.cpp only turns a chart into pixels.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Flight.h"

namespace flightlab {

struct Rgb {
    double r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Line patterns, one per car body in a picture.
enum class Dash { Solid, Dashed, Dotted, DashDot, LongDash, DashDotDot };

using Point = std::pair<double, double>;

// One flight's line in one panel.
struct Series {
    std::string label;     // legend text
    Rgb colour;
    Dash dash = Dash::Solid;
    std::vector<Point> points;
    // The last point: a touchdown (filled dot) or a cut-off at the time limit (open square).
    bool landed = false;
    // Where a flight turning back reached its farthest point along the heading (a triangle).
    std::optional<Point> turn;
};

struct Panel {
    std::string xLabel, yLabel;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;  // axis ranges, round figures around every series
    std::vector<Series> series;
    // Series too short to see at this scale, drawn again zoomed in a box beside the panel.
    std::vector<std::size_t> inset;
};

struct LegendEntry {
    std::string label;
    Rgb colour;
    Dash dash = Dash::Solid;
    bool operator==(const LegendEntry&) const = default;
};

// Colours a sweep's lines along a sequential map, dark at the low value.
struct ColourBar {
    std::string name;
    double low = 0, high = 1;
};

struct Chart {
    std::string title;
    std::vector<Panel> panels;         // stacked top to bottom, sharing the legend
    std::vector<LegendEntry> legend;   // empty with a colour bar
    std::optional<ColourBar> colourBar;
    bool anyTurnedBack = false;        // the legend explains the triangle
};

// A figure over a grid of launches: one map per set-up, cells over two launch parts, coloured
// on a diverging map from -limit (below stock) through white to +limit (above stock).
struct HeatPanel {
    std::string label;
    std::vector<double> cells;  // row by row: cells[y * xs.size() + x]
};
struct HeatMap {
    std::string title, xName, yName, valueName;
    std::vector<double> xs, ys;  // the values of the two launch parts (ys holds one 0 when one part varies)
    std::vector<HeatPanel> panels;
    double limit = 1;            // largest |cell|, at least a little above 0
};

// The one colour rule for a figure against stock's, in the lab's pictures and on the workbench
// page (which the server hands these colours to): orange where the figure is above stock's,
// blue where it is below, white where it is the same. Above is not called better: more landing
// speed or more sideways drift is not a gain.
inline constexpr Rgb kAboveStock{0.85, 0.37, 0.01};
inline constexpr Rgb kBelowStock{0.13, 0.40, 0.67};

// A colour as CSS writes it: "#d95e03".
std::string cssColour(const Rgb& c);

// The colour of a heat map's cell: kBelowStock at -limit, white at zero, kAboveStock at +limit.
Rgb divergingColour(double value, double limit);

// The swept slider and the range it was swept over, in either order.
struct ColourScale {
    std::string name;
    double from = 0, to = 1;
};

// A round step that gives about five to ten gridlines over SPAN.
double niceStep(double span);

// The colour of the value T from 0 (dark) to 1 (light) on the sweep's map.
Rgb sweepColour(double t);

// Height over signed distance along the launch heading. With a scale the lines are coloured by
// the swept value (each flight's first override) and a colour bar replaces the legend.
Chart sideViewChart(const std::vector<Flight>& flights, const Launch& launch, const std::string& title,
                    const ColourScale* scale = nullptr);

enum class Quantity { Height, Speed };

// Height or speed over time.
Chart timeChart(const std::vector<Flight>& flights, const Launch& launch, Quantity quantity,
                const std::string& title);

// Pitch (top panel) and angle of attack (bottom panel) over time.
Chart attitudeChart(const std::vector<Flight>& flights, const Launch& launch, const std::string& title);

}  // namespace flightlab
