// A grid of launches as players make them: every combination of a few speeds, pitches, heights,
// headings and boost times; and what a set-up's figures are over the grid, against stock.
#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Chart.h"
#include "Flight.h"

namespace flightlab {

// One varied part of the launch: STEPS values from FROM to TO.
struct GridAxis {
    std::string name;  // speed, pitch, height, heading or boost-time
    double from = 0, to = 0;
    int steps = 1;
    double at(int i) const { return steps < 2 ? from : from + (to - from) * i / (steps - 1); }
};

// The launch parts a grid may vary, with their units and the range the command line accepts.
struct GridPart {
    const char* name;
    const char* unit;
    double Launch::*field;
    double min, max;
};
extern const std::vector<GridPart> kGridParts;

struct LaunchGrid {
    std::vector<GridAxis> axes;  // the first varies slowest
    std::size_t size() const;
    // Launch I of the grid: BASE with each axis at its value.
    Launch launch(const Launch& base, std::size_t i) const;
    // The index of each axis's value in launch I.
    std::vector<int> indexes(std::size_t i) const;
    // "speed 1000 to 2300 uu/s (4), pitch 0 to 60 deg (5)".
    std::string describe() const;
};

// A figure of a flight by name, for tables, files and pictures of many flights.
struct FigureField {
    const char* name;    // as in the table: "airtime s"
    const char* file;    // as in file names: "airtime"
    double Figures::*value;
    int decimals;        // as the table prints it
};
extern const std::vector<FigureField> kGridFigures;

// The figures of every set-up at every launch of a grid: flight (setup s, launch l) at
// s * launches + l. Stock on each body is the reference; it is flown when not asked for.
struct GridResult {
    LaunchGrid grid;
    Launch base;
    std::vector<Setup> setups;
    std::vector<Figures> figures;
    std::size_t launches() const { return grid.size(); }
    const Figures& at(std::size_t setup, std::size_t launch) const { return figures[setup * launches() + launch]; }
    // The stock set-up on the same body as SETUP, or nothing.
    std::optional<std::size_t> stockFor(std::size_t setup) const;
};

// launches.csv: one row per set-up and launch with the launch's parts and every figure.
void writeLaunchesCsv(std::ostream& out, const GridResult& r);

// The summary on standard output: per set-up and figure, the median, minimum and maximum over
// the grid, and how often it is above stock at the same launch.
void writeGridSummary(std::ostream& out, const GridResult& r);

// The heat maps of one figure: each set-up other than stock, minus stock at the same launch, over
// the grid's first two axes (the median over any others).
HeatMap gridHeatMap(const GridResult& r, const FigureField& figure);

}  // namespace flightlab
