// The tables and CSV files of a set of flights.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "Flight.h"

namespace flightlab {

// One row per flight: airtime, distance along the launch heading, sideways offset, top height,
// landing speed and descent angle at touchdown; a body column when more than one body flew.
void writeTable(std::ostream& out, const std::vector<Flight>& flights);

// One row per flight: every slider value it flew with ("model off" for the stock car).
void writeSliderTable(std::ostream& out, const std::vector<Flight>& flights);

// The slider values as CSV: preset, body, model, then one column per slider.
void writePresetsCsv(std::ostream& out, const std::vector<Flight>& flights);

// TEXT as one CSV field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

// Every number of the CSV files: ",V" with DIGITS decimals, the text printf's %.Nf gives, several
// times faster (a trajectory file holds tens of thousands of figures).
void appendFixed(std::string& row, double v, int digits);

// The figures' CSV columns after the lead columns, and one flight's figures in them (",V" each).
extern const char* const kFigureColumns;
void appendFigures(std::string& row, const Figures& f);

// One row per flight: preset, body, then every figure.
void writeFiguresCsv(std::ostream& out, const std::vector<Flight>& flights);

// Every sample of every flight: label, body, tick, time, position, velocity, speed, attitude,
// angular velocity, angle of attack. The header and one flight's rows can be written apart, as
// flights arrive.
void writeCsv(std::ostream& out, const std::vector<Flight>& flights);
void writeCsvHeader(std::ostream& out);
void writeCsvRows(std::ostream& out, const Flight& flight);

}  // namespace flightlab
