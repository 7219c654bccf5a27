// What the pictures of flights draw: series, markers, legend and axis ranges from the flights and
// their figures.
#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tuple>

namespace flightlab {

namespace {

// A series whose extent is below this share of both axis spans is repeated in the inset.
constexpr double kShortShare = 0.03;

constexpr Rgb kPalette[] = {{0.10, 0.10, 0.10}, {0.12, 0.47, 0.71}, {1.00, 0.50, 0.05},
                            {0.17, 0.63, 0.17}, {0.84, 0.15, 0.16}, {0.58, 0.40, 0.74},
                            {0.55, 0.34, 0.29}, {0.89, 0.47, 0.76}, {0.50, 0.50, 0.50},
                            {0.74, 0.74, 0.13}, {0.09, 0.75, 0.81}};
constexpr std::size_t kPaletteSize = sizeof kPalette / sizeof kPalette[0];
constexpr Dash kDashes[] = {Dash::Solid, Dash::Dashed, Dash::Dotted, Dash::DashDot, Dash::LongDash,
                            Dash::DashDotDot};
// Stops of the viridis map, dark to light.
constexpr Rgb kViridis[] = {{0.267, 0.005, 0.329}, {0.230, 0.322, 0.546}, {0.128, 0.567, 0.551},
                            {0.369, 0.789, 0.383}, {0.993, 0.906, 0.144}};

// Colour I of a picture: the palette, then hues a golden angle apart, so no two repeat.
Rgb colourAt(std::size_t i) {
    if (i < kPaletteSize) return kPalette[i];
    const double h = std::fmod(static_cast<double>(i - kPaletteSize) * 0.618033988749895, 1.0) * 6;
    const double x = 1 - std::abs(std::fmod(h, 2.0) - 1);
    const double v = 0.8, s = 0.7, c = v * s, m = v - c;
    const int sector = static_cast<int>(h);
    const Rgb base = sector == 0   ? Rgb{c, x * c, 0}
                     : sector == 1 ? Rgb{x * c, c, 0}
                     : sector == 2 ? Rgb{0, c, x * c}
                     : sector == 3 ? Rgb{0, x * c, c}
                     : sector == 4 ? Rgb{x * c, 0, c}
                                   : Rgb{c, 0, x * c};
    return {base.r + m, base.g + m, base.b + m};
}

// Index of VALUE in SEEN, added at the end when new.
std::size_t indexOf(std::vector<std::string>& seen, const std::string& value) {
    const auto at = std::find(seen.begin(), seen.end(), value);
    if (at != seen.end()) return static_cast<std::size_t>(at - seen.begin());
    seen.push_back(value);
    return seen.size() - 1;
}

// Below this share of the span, a reach past zero is too small to widen an axis by a whole step.
constexpr double kSlightShare = 0.01;

// The range from LO to HI, zero included, widened to round figures.
std::pair<double, double> niceRange(double lo, double hi) {
    lo = std::min(lo, 0.0), hi = std::max(hi, 0.0);
    if (hi - lo < 1e-9) hi = lo + 1;
    if (-lo < kSlightShare * (hi - lo)) lo = 0;
    else if (hi < kSlightShare * (hi - lo)) hi = 0;
    const double step = niceStep(hi - lo);
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step};
}

// One point of a flight's sample in a panel's units.
using Project = std::function<Point(const Flight&, const Sample&)>;

// How each flight is drawn: colour per preset, dash per body, and its legend label.
struct Styles {
    std::vector<Rgb> colours;
    std::vector<Dash> dashes;
    std::vector<std::string> labels;
    std::vector<LegendEntry> legend;
};

Styles stylesFor(const std::vector<Flight>& flights, const ColourScale* scale) {
    Styles st;
    std::vector<std::string> presets, bodies;
    for (const auto& f : flights) indexOf(bodies, f.setup.body);
    const bool severalBodies = bodies.size() > 1;
    bodies.clear();
    const double low = scale ? std::min(scale->from, scale->to) : 0;
    const double high = scale ? std::max(scale->from, scale->to) : 1;
    for (const auto& f : flights) {
        Rgb colour;
        if (scale != nullptr) {
            const auto& o = f.setup.overrides;
            const double v = o.empty() ? low : std::strtod(o.front().second.c_str(), nullptr);
            colour = sweepColour(high > low ? (v - low) / (high - low) : 0);
        } else {
            colour = colourAt(indexOf(presets, f.setup.label));
        }
        const Dash dash = kDashes[indexOf(bodies, f.setup.body) % std::size(kDashes)];
        std::string label = f.setup.label;
        if (severalBodies) label += " (" + f.setup.body + ")";
        st.colours.push_back(colour);
        st.dashes.push_back(dash);
        st.labels.push_back(label);
        if (scale == nullptr) st.legend.push_back({label, colour, dash});
    }
    return st;
}

// The series of one flight: its samples while airborne, then the touchdown (or the last sample),
// END giving the touchdown point from the figures.
Series seriesOf(const Flight& flight, const Project& project, const std::function<Point()>& end,
                const Launch& launch) {
    Series s;
    const Figures& f = flight.figures;
    s.landed = f.landed;
    const auto& samples = flight.samples;
    if (samples.empty()) return s;
    const std::size_t airborne = f.landed && samples.size() > 1 ? samples.size() - 1 : samples.size();
    double farthest = -HUGE_VAL;
    for (std::size_t i = 0; i < airborne; ++i) {
        s.points.push_back(project(flight, samples[i]));
        const double along = alongHeading(samples.front(), samples[i], launch.headingDeg);
        if (f.turnedBack && along > farthest) farthest = along, s.turn = s.points.back();
    }
    if (f.landed) s.points.push_back(end());
    return s;
}

Panel panelOf(const std::vector<Flight>& flights, const Styles& st, const Project& project,
              const std::function<Point(const Flight&)>& end, const Launch& launch,
              const std::string& xLabel, const std::string& yLabel) {
    Panel p;
    p.xLabel = xLabel, p.yLabel = yLabel;
    double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
    for (std::size_t i = 0; i < flights.size(); ++i) {
        Series s = seriesOf(flights[i], project, [&] { return end(flights[i]); }, launch);
        s.label = st.labels[i], s.colour = st.colours[i], s.dash = st.dashes[i];
        for (const auto& [x, y] : s.points)
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        p.series.push_back(std::move(s));
    }
    if (x0 > x1) x0 = x1 = y0 = y1 = 0;
    std::tie(p.x0, p.x1) = niceRange(x0, x1);
    std::tie(p.y0, p.y1) = niceRange(y0, y1);
    for (std::size_t i = 0; i < p.series.size(); ++i) {
        const auto& pts = p.series[i].points;
        if (pts.empty()) continue;
        double a = HUGE_VAL, b = -HUGE_VAL, c = HUGE_VAL, d = -HUGE_VAL;
        for (const auto& [x, y] : pts) a = std::min(a, x), b = std::max(b, x), c = std::min(c, y), d = std::max(d, y);
        if ((b - a) < kShortShare * (p.x1 - p.x0) && (d - c) < kShortShare * (p.y1 - p.y0))
            p.inset.push_back(i);
    }
    return p;
}

Chart chartOf(const std::vector<Flight>& flights, const std::string& title, const ColourScale* scale,
              Styles& st) {
    Chart c;
    c.title = title;
    st = stylesFor(flights, scale);
    c.legend = st.legend;
    if (scale != nullptr)
        c.colourBar = ColourBar{scale->name, std::min(scale->from, scale->to), std::max(scale->from, scale->to)};
    c.anyTurnedBack = std::any_of(flights.begin(), flights.end(),
                                  [](const Flight& f) { return f.figures.turnedBack; });
    return c;
}

double speedOf(const Sample& s) { return std::sqrt(s.vx * s.vx + s.vy * s.vy + s.vz * s.vz); }

}  // namespace

double niceStep(double span) {
    if (span <= 0) return 1;
    const double raw = span / 8;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= m * mag) return m * mag;
    return 10 * mag;
}

std::string cssColour(const Rgb& c) {
    const auto byte = [](double v) {
        return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
    return buf;
}

Rgb divergingColour(double value, double limit) {
    const double t = limit > 0 ? std::clamp(value / limit, -1.0, 1.0) : 0;
    const Rgb white{1, 1, 1};
    const Rgb& end = t < 0 ? kBelowStock : kAboveStock;
    const double a = std::abs(t);
    return {white.r + (end.r - white.r) * a, white.g + (end.g - white.g) * a, white.b + (end.b - white.b) * a};
}

Rgb sweepColour(double t) {
    t = std::clamp(t, 0.0, 1.0) * 4;
    const auto i = std::min<std::size_t>(3, static_cast<std::size_t>(t));
    const double f = t - static_cast<double>(i);
    const Rgb a = kViridis[i], b = kViridis[i + 1];
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

Chart sideViewChart(const std::vector<Flight>& flights, const Launch& launch, const std::string& title,
                    const ColourScale* scale) {
    Styles st;
    Chart c = chartOf(flights, title, scale, st);
    c.panels.push_back(panelOf(
        flights, st,
        [&launch](const Flight& f, const Sample& s) {
            return Point{alongHeading(f.samples.front(), s, launch.headingDeg), s.z};
        },
        [](const Flight& f) { return Point{f.figures.distanceUu, kRestHeightUu}; }, launch,
        "distance along the launch heading (uu)", "height (uu)"));
    return c;
}

Chart timeChart(const std::vector<Flight>& flights, const Launch& launch, Quantity quantity,
                const std::string& title) {
    Styles st;
    Chart c = chartOf(flights, title, nullptr, st);
    const bool height = quantity == Quantity::Height;
    c.panels.push_back(panelOf(
        flights, st,
        [height](const Flight&, const Sample& s) {
            return Point{s.tick * kTickS, height ? s.z : speedOf(s)};
        },
        [height](const Flight& f) {
            return Point{f.figures.airtimeS, height ? kRestHeightUu : f.figures.landingSpeedUu};
        },
        launch, "time from release (s)", height ? "height (uu)" : "speed (uu/s)"));
    return c;
}

Chart attitudeChart(const std::vector<Flight>& flights, const Launch& launch, const std::string& title) {
    Styles st;
    Chart c = chartOf(flights, title, nullptr, st);
    // The attitude at touchdown is that of the last airborne tick: the floor levels the car.
    const auto lastAirborne = [](const Flight& f) -> const Sample& {
        const auto& s = f.samples;
        return s.size() > 1 ? s[s.size() - 2] : s.back();
    };
    c.panels.push_back(panelOf(
        flights, st,
        [](const Flight&, const Sample& s) { return Point{s.tick * kTickS, attitudeOf(s).pitchDeg}; },
        [&](const Flight& f) { return Point{f.figures.airtimeS, attitudeOf(lastAirborne(f)).pitchDeg}; },
        launch, "time from release (s)", "pitch (deg)"));
    c.panels.push_back(panelOf(
        flights, st,
        [](const Flight&, const Sample& s) {
            return Point{s.tick * kTickS, attitudeOf(s).angleOfAttackDeg};
        },
        [&](const Flight& f) {
            return Point{f.figures.airtimeS, attitudeOf(lastAirborne(f)).angleOfAttackDeg};
        },
        launch, "time from release (s)", "angle of attack (deg)"));
    return c;
}

}  // namespace flightlab
