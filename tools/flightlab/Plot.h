// Pictures of flights: a chart turned into a PNG with Cairo.
#pragma once
#include <filesystem>
#include <string>

#include "Chart.h"

namespace flightlab {

// Draws the chart's panels stacked, with its legend or colour bar on the right and the series
// too short to see repeated in an inset. Returns "" on success, else the error.
std::string writeChart(const std::filesystem::path& file, const Chart& chart);

// Draws a heat map's panels in a grid with one diverging colour bar, each cell's value written in
// it when there is room. Returns "" on success, else the error.
std::string writeHeatMap(const std::filesystem::path& file, const HeatMap& map);

}  // namespace flightlab
