// The tables and CSV files of a set of flights.
#include "Report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace flightlab {

namespace {


bool severalBodies(const std::vector<Flight>& flights) {
    return std::any_of(flights.begin(), flights.end(),
                       [&](const Flight& f) { return f.setup.body != flights.front().setup.body; });
}

int labelWidth(const std::vector<Flight>& flights) {
    std::size_t width = 6;
    for (const auto& f : flights) width = std::max(width, f.setup.label.size());
    return static_cast<int>(width);
}

// The label column, and the body column when bodies differ.
std::string leadColumns(const std::vector<Flight>& flights, const Flight* f) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%-*s", labelWidth(flights), f ? f->setup.label.c_str() : "preset");
    std::string s = buf;
    if (severalBodies(flights)) {
        std::snprintf(buf, sizeof buf, "  %-8s", f ? f->setup.body.c_str() : "body");
        s += buf;
    }
    return s;
}

// Column names of the slider table: the variable without its prefix.
std::string shortName(std::string_view slider) { return std::string(slider.substr(3)); }
int sliderColumnWidth(std::string_view slider) {
    return static_cast<int>(std::max<std::size_t>(8, slider.size() - 3));
}

}  // namespace

void appendFixed(std::string& row, double v, int digits) {
    char buf[400];  // the widest double in fixed notation, with its decimals
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits).ptr;
    row += ',';
    row.append(buf, end);
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void writeTable(std::ostream& out, const std::vector<Flight>& flights) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "  %10s  %12s  %9s  %14s  %19s  %12s\n", "airtime s", "distance uu",
                  "side uu", "top height uu", "landing speed uu/s", "descent deg");
    out << leadColumns(flights, nullptr) << buf;
    for (const auto& fl : flights) {
        const Figures& f = fl.figures;
        std::snprintf(buf, sizeof buf, "  %10.3f%s %12.1f%s %9.1f  %14.1f  %19.1f  %12.1f\n", f.airtimeS,
                      f.landed ? " " : "+", f.distanceUu, f.turnedBack ? "<" : " ", f.sideUu,
                      f.topHeightUu, f.landingSpeedUu, f.descentAngleDeg);
        out << leadColumns(flights, &fl) << buf;
    }
    if (std::any_of(flights.begin(), flights.end(), [](const Flight& f) { return !f.figures.landed; }))
        out << "+ still airborne at the time limit: figures are taken there\n";
    if (std::any_of(flights.begin(), flights.end(), [](const Flight& f) { return f.figures.turnedBack; }))
        out << "< turned back: the car's motion along the launch heading reversed in flight\n";
}

void writeSliderTable(std::ostream& out, const std::vector<Flight>& flights) {
    char buf[64];
    out << leadColumns(flights, nullptr);
    for (Slider slider : kSliders) {
        const std::string_view name = sliderName(slider);
        std::snprintf(buf, sizeof buf, " %*s", sliderColumnWidth(name), shortName(name).c_str());
        out << buf;
    }
    out << "\n";
    for (const auto& f : flights) {
        out << leadColumns(flights, &f);
        if (!f.setup.modelOn) {
            out << "  model off\n";
            continue;
        }
        for (Slider slider : kSliders) {
            std::snprintf(buf, sizeof buf, " %*.3f", sliderColumnWidth(sliderName(slider)),
                          static_cast<double>(f.sliders[slider]));
            out << buf;
        }
        out << "\n";
    }
}

void writePresetsCsv(std::ostream& out, const std::vector<Flight>& flights) {
    out << "preset,body,model";
    for (Slider slider : kSliders) out << ',' << sliderName(slider);
    out << '\n';
    std::string row;
    for (const auto& f : flights) {
        row = csvField(f.setup.label) + ',' + f.setup.body + (f.setup.modelOn ? ",on" : ",off");
        for (Slider slider : kSliders) appendFixed(row, f.sliders[slider], 5);
        out << row << '\n';
    }
}

const char* const kFigureColumns =
    "landed,airtime_s,distance_uu,side_uu,top_height_uu,landing_speed_uu_s,descent_deg,turned_back";

void appendFigures(std::string& row, const Figures& f) {
    row += f.landed ? ",1" : ",0";
    appendFixed(row, f.airtimeS, 4);
    for (double v : {f.distanceUu, f.sideUu, f.topHeightUu, f.landingSpeedUu, f.descentAngleDeg})
        appendFixed(row, v, 3);
    row += f.turnedBack ? ",1" : ",0";
}

void writeFiguresCsv(std::ostream& out, const std::vector<Flight>& flights) {
    out << "preset,body," << kFigureColumns << '\n';
    std::string row;
    for (const auto& f : flights) {
        row = csvField(f.setup.label);
        row += ',';
        row += f.setup.body;
        appendFigures(row, f.figures);
        out << row << '\n';
    }
}

void writeCsvHeader(std::ostream& out) {
    out << "preset,body,tick,time_s,x_uu,y_uu,z_uu,vx_uu_s,vy_uu_s,vz_uu_s,speed_uu_s,pitch_deg,"
           "yaw_deg,roll_deg,wx_rad_s,wy_rad_s,wz_rad_s,angle_of_attack_deg\n";
}

void writeCsvRows(std::ostream& out, const Flight& f) {
    const std::string lead = csvField(f.setup.label) + "," + f.setup.body + ",";
    std::string row;
    for (const auto& s : f.samples) {
        const double speed = std::sqrt(s.vx * s.vx + s.vy * s.vy + s.vz * s.vz);
        const Attitude a = attitudeOf(s);
        row.assign(lead);
        row += std::to_string(s.tick);
        appendFixed(row, s.tick * kTickS, 4);
        for (double v : {s.x, s.y, s.z, s.vx, s.vy, s.vz, speed}) appendFixed(row, v, 3);
        for (double v : {a.pitchDeg, a.yawDeg, a.rollDeg}) appendFixed(row, v, 3);
        for (double v : {s.wx, s.wy, s.wz}) appendFixed(row, v, 4);
        appendFixed(row, a.angleOfAttackDeg, 3);
        row += '\n';
        out << row;
    }
}

void writeCsv(std::ostream& out, const std::vector<Flight>& flights) {
    writeCsvHeader(out);
    for (const auto& f : flights) writeCsvRows(out, f);
}

}  // namespace flightlab
