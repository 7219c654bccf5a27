// The tables and CSV files of a set of flights.
#pragma once
#include <ostream>
#include <vector>

#include "Flight.h"

namespace flightlab {

// One row per flight: airtime, horizontal distance, top height, landing speed; a body column
// when more than one body flew.
void writeTable(std::ostream& out, const std::vector<Flight>& flights);

// One row per flight: the fourteen slider values it flew with ("model off" for the stock car).
void writeSliderTable(std::ostream& out, const std::vector<Flight>& flights);

// The slider values as CSV: preset, body, model, then one column per slider.
void writePresetsCsv(std::ostream& out, const std::vector<Flight>& flights);

// Every sample of every flight: label, body, tick, time, position, velocity, speed.
void writeCsv(std::ostream& out, const std::vector<Flight>& flights);

}  // namespace flightlab
