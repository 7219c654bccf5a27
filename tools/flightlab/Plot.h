// Pictures of flights: the side view (height over horizontal distance) and height and speed
// over time, one line per set-up; a sweep coloured along a sequential colour map.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "Flight.h"

namespace flightlab {

// Colours a sweep's flights by the swept value (each flight's first override).
struct ColourScale {
    std::string name;
    double from = 0, to = 1;
};

enum class Quantity { Height, Speed };

// Writes the side view as a PNG: touchdowns and cut-offs marked, flights too short to see at
// the full scale repeated in an inset. With a scale, lines take the map's colours and a colour
// bar replaces the legend. Returns "" on success, else the error.
std::string writeSideView(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          const std::string& title, const ColourScale* scale = nullptr);

// Writes height or speed over time as a PNG, one labelled line per flight.
std::string writeTimePlot(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          Quantity quantity, const std::string& title);

}  // namespace flightlab
