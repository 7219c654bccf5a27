// A grid of launches, and a set-up's figures over it against stock.
#include "Launches.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Report.h"

namespace flightlab {

namespace {

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    const std::size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(mid), v.end());
    if (v.size() % 2 == 1) return v[mid];
    const double upper = v[mid];
    return (*std::max_element(v.begin(), v.begin() + static_cast<long>(mid)) + upper) / 2;
}

const GridPart& partNamed(const std::string& name) {
    for (const GridPart& p : kGridParts)
        if (name == p.name) return p;
    return kGridParts.front();
}

}  // namespace

const std::vector<GridPart> kGridParts{
    {"speed", "uu/s", &Launch::speedUu, 0, 100000},
    {"pitch", "deg", &Launch::pitchDeg, -90, 90},
    {"height", "uu", &Launch::heightUu, 18, 100000},
    {"heading", "deg", &Launch::headingDeg, -360, 360},
    {"boost-time", "s", &Launch::boostSeconds, 0, 600},
};

const std::vector<FigureField> kGridFigures{
    {"airtime s", "airtime", &Figures::airtimeS, 3},
    {"distance uu", "distance", &Figures::distanceUu, 1},
    {"side uu", "side", &Figures::sideUu, 1},
    {"top height uu", "top-height", &Figures::topHeightUu, 1},
    {"landing speed uu/s", "landing-speed", &Figures::landingSpeedUu, 1},
    {"descent deg", "descent", &Figures::descentAngleDeg, 1},
};

std::size_t LaunchGrid::size() const {
    std::size_t n = 1;
    for (const auto& a : axes) n *= static_cast<std::size_t>(a.steps);
    return n;
}

std::vector<int> LaunchGrid::indexes(std::size_t i) const {
    std::vector<int> at(axes.size());
    for (std::size_t k = axes.size(); k-- > 0;) {
        const auto steps = static_cast<std::size_t>(axes[k].steps);
        at[k] = static_cast<int>(i % steps);
        i /= steps;
    }
    return at;
}

Launch LaunchGrid::launch(const Launch& base, std::size_t i) const {
    Launch l = base;
    const auto at = indexes(i);
    for (std::size_t k = 0; k < axes.size(); ++k) l.*partNamed(axes[k].name).field = axes[k].at(at[k]);
    return l;
}

std::string LaunchGrid::describe() const {
    std::string s;
    for (const auto& a : axes) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s%s %g to %g %s (%d)", s.empty() ? "" : ", ", a.name.c_str(), a.from,
                      a.to, partNamed(a.name).unit, a.steps);
        s += buf;
    }
    return s;
}

std::optional<std::size_t> GridResult::stockFor(std::size_t setup) const {
    for (std::size_t i = 0; i < setups.size(); ++i)
        if (!setups[i].modelOn && setups[i].body == setups[setup].body) return i;
    return std::nullopt;
}

void writeLaunchesCsv(std::ostream& out, const GridResult& r) {
    out << "preset,body";
    for (const GridPart& p : kGridParts) out << ',' << p.name;
    out << ',' << kFigureColumns << '\n';
    std::string row;
    for (std::size_t s = 0; s < r.setups.size(); ++s) {
        for (std::size_t l = 0; l < r.launches(); ++l) {
            const Launch launch = r.grid.launch(r.base, l);
            row = csvField(r.setups[s].label);
            row += ',';
            row += r.setups[s].body;
            for (const GridPart& p : kGridParts) appendFixed(row, launch.*p.field, 3);
            appendFigures(row, r.at(s, l));
            row += '\n';
            out << row;
        }
    }
}

void writeGridSummary(std::ostream& out, const GridResult& r) {
    const bool severalBodies = std::any_of(r.setups.begin(), r.setups.end(),
                                           [&](const Setup& o) { return o.body != r.setups.front().body; });
    std::size_t width = 6;
    for (const auto& s : r.setups) width = std::max(width, s.label.size() + (severalBodies ? s.body.size() + 3 : 0));
    const int w = static_cast<int>(width);
    char buf[320];
    std::snprintf(buf, sizeof buf, "%-*s  %-18s  %10s  %10s  %10s  %11s\n", w, "preset", "figure", "median", "min",
                  "max", "above stock");
    out << buf;
    for (std::size_t s = 0; s < r.setups.size(); ++s) {
        const auto stock = r.stockFor(s);
        std::string label = r.setups[s].label;
        if (severalBodies) label += " (" + r.setups[s].body + ")";
        for (const FigureField& field : kGridFigures) {
            std::vector<double> values;
            std::size_t above = 0;
            for (std::size_t l = 0; l < r.launches(); ++l) {
                values.push_back(r.at(s, l).*field.value);
                if (stock && r.at(s, l).*field.value > r.at(*stock, l).*field.value) ++above;
            }
            const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
            const std::string share =
                !stock || *stock == s ? "-"
                                      : std::to_string(above) + " of " + std::to_string(r.launches());
            const int d = field.decimals;
            std::snprintf(buf, sizeof buf, "%-*s  %-18s  %10.*f  %10.*f  %10.*f  %11s\n", w,
                          field.value == kGridFigures.front().value ? label.c_str() : "", field.name, d,
                          median(values), d, *lo, d, *hi, share.c_str());
            out << buf;
        }
    }
}

HeatMap gridHeatMap(const GridResult& r, const FigureField& figure) {
    HeatMap m;
    m.valueName = std::string(figure.name);
    const auto& axes = r.grid.axes;
    const GridAxis none{"", 0, 0, 1};
    const GridAxis& ax = axes.empty() ? none : axes[0];
    const GridAxis& ay = axes.size() > 1 ? axes[1] : none;
    m.xName = ax.name.empty() ? "" : ax.name + " (" + partNamed(ax.name).unit + ")";
    m.yName = ay.name.empty() ? "" : ay.name + " (" + partNamed(ay.name).unit + ")";
    for (int i = 0; i < ax.steps; ++i) m.xs.push_back(ax.at(i));
    for (int i = 0; i < ay.steps; ++i) m.ys.push_back(ay.at(i));
    m.title = std::string(figure.file) + ": each set-up minus stock at the same launch";
    if (axes.size() > 2) m.title += " (median over the other launch parts)";
    double limit = 0;
    for (std::size_t s = 0; s < r.setups.size(); ++s) {
        const auto stock = r.stockFor(s);
        if (!stock || *stock == s) continue;
        HeatPanel panel;
        panel.label = r.setups[s].label + (r.setups[s].body == r.setups.front().body ? "" : " (" + r.setups[s].body + ")");
        std::vector<std::vector<double>> cells(m.xs.size() * m.ys.size());
        for (std::size_t l = 0; l < r.launches(); ++l) {
            const auto at = r.grid.indexes(l);
            const std::size_t x = at.empty() ? 0 : static_cast<std::size_t>(at[0]);
            const std::size_t y = at.size() > 1 ? static_cast<std::size_t>(at[1]) : 0;
            cells[y * m.xs.size() + x].push_back(r.at(s, l).*figure.value - r.at(*stock, l).*figure.value);
        }
        for (auto& c : cells) {
            panel.cells.push_back(median(c));
            limit = std::max(limit, std::abs(panel.cells.back()));
        }
        m.panels.push_back(std::move(panel));
    }
    m.limit = limit > 0 ? limit : 1;
    return m;
}

}  // namespace flightlab
