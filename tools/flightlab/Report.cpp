// The comparison table and the trajectory CSV of a set of flights.
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace flightlab {

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

void writeTable(std::ostream& out, const std::vector<Flight>& flights) {
    std::size_t width = 6;
    for (const auto& f : flights) width = std::max(width, f.setup.label.size());
    char buf[256];
    std::snprintf(buf, sizeof buf, "%-*s  %10s  %12s  %14s  %19s\n", static_cast<int>(width),
                  "preset", "airtime s", "distance uu", "top height uu", "landing speed uu/s");
    out << buf;
    for (const auto& f : flights) {
        std::snprintf(buf, sizeof buf, "%-*s  %10.3f%s %12.1f  %14.1f  %19.1f\n",
                      static_cast<int>(width), f.setup.label.c_str(), f.airtimeS,
                      f.landed ? " " : "+", f.distanceUu, f.topHeightUu, f.landingSpeedUu);
        out << buf;
    }
    if (std::any_of(flights.begin(), flights.end(), [](const Flight& f) { return !f.landed; }))
        out << "+ still airborne at the time limit: figures are taken there\n";
}

void writeCsv(std::ostream& out, const std::vector<Flight>& flights) {
    out << "preset,tick,time_s,x_uu,y_uu,z_uu,vx_uu_s,vy_uu_s,vz_uu_s,speed_uu_s\n";
    char buf[256];
    for (const auto& f : flights) {
        const std::string label = csvField(f.setup.label);
        for (const auto& s : f.samples) {
            const double speed = std::sqrt(s.vx * s.vx + s.vy * s.vy + s.vz * s.vz);
            std::snprintf(buf, sizeof buf, ",%d,%.4f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f\n", s.tick,
                          s.tick * kTickS, s.x, s.y, s.z, s.vx, s.vy, s.vz, speed);
            out << label << buf;
        }
    }
}

}  // namespace flightlab
