// The tables and CSV files of a set of flights.
#pragma once
#include <ostream>
#include <vector>

#include "Flight.h"

namespace flightlab {

// One row per flight: airtime, horizontal distance, top height, landing speed; a body column
// when more than one body flew.
void writeTable(std::ostream& out, const std::vector<Flight>& flights);

// One row per flight: every slider value it flew with ("model off" for the stock car).
void writeSliderTable(std::ostream& out, const std::vector<Flight>& flights);

// The slider values as CSV: preset, body, model, then one column per slider.
void writePresetsCsv(std::ostream& out, const std::vector<Flight>& flights);

// Every sample of every flight: label, body, tick, time, position, velocity, speed. The header
// and one flight's rows can be written apart, as flights arrive.
void writeCsv(std::ostream& out, const std::vector<Flight>& flights);
void writeCsvHeader(std::ostream& out);
void writeCsvRows(std::ostream& out, const Flight& flight);

}  // namespace flightlab
