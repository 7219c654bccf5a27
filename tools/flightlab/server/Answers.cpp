// The workbench's answers: the lab's types written as the page reads them.
#include "Answers.h"

#include <charconv>
#include <cmath>
#include <iterator>

#include "Chart.h"
#include "Requests.h"

namespace flightlab::server {

using nlohmann::json;

namespace {

// A slider's bound or default as a user types it: the shortest text of the float, as a number.
double typed(float v) {
    return std::stod(sliderText(v));
}

// One sample with what its columns derive from it, each worked out once.
struct SampleRow {
    const Sample* s;
    Attitude attitude;
    double along, side;
};

// The samples are written straight to text, column after column: the answer to a slider move
// is mostly these numbers, and each is written at the precision a plot or a table can show.
struct Column {
    const char* name;
    double scale;  // the value is written to 1/scale: 10 is a tenth, 1e4 a ten-thousandth
    double (*of)(const SampleRow& r);
};

// Positions, speeds and angles to a tenth (a tenth of a uu, uu/s or degree is far below what a
// plot or the state table shows), time to a millisecond (a tick is 8.3 ms), the quaternion to a
// ten-thousandth (a box drawn from it turns by well under a tenth of a degree).
constexpr Column kColumns[] = {
    {"t", 1e3, [](const SampleRow& r) { return r.s->tick * kTickS; }},
    {"x", 10, [](const SampleRow& r) { return r.s->x; }},
    {"y", 10, [](const SampleRow& r) { return r.s->y; }},
    {"z", 10, [](const SampleRow& r) { return r.s->z; }},
    {"vz", 10, [](const SampleRow& r) { return r.s->vz; }},
    {"speed", 10,
     [](const SampleRow& r) {
         return std::sqrt(r.s->vx * r.s->vx + r.s->vy * r.s->vy + r.s->vz * r.s->vz);
     }},
    {"along", 10, [](const SampleRow& r) { return r.along; }},
    {"side", 10, [](const SampleRow& r) { return r.side; }},
    {"pitch", 10, [](const SampleRow& r) { return r.attitude.pitchDeg; }},
    {"aoa", 10, [](const SampleRow& r) { return r.attitude.angleOfAttackDeg; }},
    {"qw", 1e4, [](const SampleRow& r) { return r.s->qw; }},
    {"qx", 1e4, [](const SampleRow& r) { return r.s->qx; }},
    {"qy", 1e4, [](const SampleRow& r) { return r.s->qy; }},
    {"qz", 1e4, [](const SampleRow& r) { return r.s->qz; }},
};

// V rounded to 1/SCALE, in the shortest text that reads back as that value ("12.3", "0", "-4");
// null if it is not a number, as JSON has no NaN.
void appendRounded(std::string& out, double v, double scale) {
    double r = std::round(v * scale) / scale;
    if (!std::isfinite(r)) {
        out += "null";
        return;
    }
    if (r == 0) r = 0;  // no "-0"
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, r).ptr;
    out.append(buf, end);
}

// The trajectory as columns: time, world place, climb rate and speed, the distance along the
// launch heading and sideways from it, the car's attitude (degrees) and orientation
// (quaternion, the game's axes) at each tick, as a JSON object's text.
void appendSamples(std::string& out, const Flight& f, double headingDeg) {
    std::vector<SampleRow> rows;
    rows.reserve(f.samples.size());
    for (const Sample& s : f.samples) {
        const Sample& release = f.samples.front();
        rows.push_back({&s, attitudeOf(s), alongHeading(release, s, headingDeg),
                        sideOfHeading(release, s, headingDeg)});
    }
    out += '{';
    bool firstColumn = true;
    for (const Column& c : kColumns) {
        if (!firstColumn) out += ',';
        firstColumn = false;
        out += '"';
        out += c.name;
        out += "\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i > 0) out += ',';
            appendRounded(out, c.of(rows[i]), c.scale);
        }
        out += ']';
    }
    out += '}';
}

// One flight of a fly answer: its set-up, figures and, if asked, its samples.
void appendFlight(std::string& out, const Flight& f, bool samples, double headingDeg) {
    const json j = {{"label", f.setup.label},
                    {"body", f.setup.body},
                    {"model", f.setup.modelOn},
                    {"figures", figuresJson(f.figures)},
                    {"sliders", f.setup.modelOn ? slidersJson(f.sliders) : json(nullptr)}};
    std::string head = j.dump();
    if (!samples) {
        out += head;
        return;
    }
    head.pop_back();  // the closing brace: the samples follow
    out += head;
    out += ",\"samples\":";
    appendSamples(out, f, headingDeg);
    out += '}';
}

}  // namespace

json vocabularyJson(const SliderRanges& ranges, bool game) {
    json sliders = json::array();
    for (Slider slider : kSliders) {
        const SliderRange& r = ranges[sliderIndex(slider)];
        sliders.push_back({{"name", std::string(sliderName(slider))},
                           {"min", typed(r.min)},
                           {"max", typed(r.max)},
                           {"default", typed(r.defaultValue)}});
    }
    json bodies = json::array();
    for (const Body& b : kBodies)
        bodies.push_back({{"name", std::string(b.name)},
                          {"length", b.lengthUu},
                          {"width", b.widthUu},
                          {"height", b.heightUu}});
    const Launch l;
    return {{"sliders", sliders},
            {"bodies", bodies},
            {"launch",
             {{"speed", l.speedUu},
              {"pitch", l.pitchDeg},
              {"height", l.heightUu},
              {"boostTime", l.boostSeconds},
              {"timeLimit", l.timeLimitS},
              {"heading", l.headingDeg},
              {"input", {{"pitch", 0}, {"yaw", 0}, {"roll", 0}, {"throttle", 0}}}}},
            {"limits",
             {{"timeLimit", kMaxTimeLimitS}, {"setups", kMaxSetups}, {"gridSide", kMaxGridSide}}},
            {"tickSeconds", kTickS},
            {"stockColours", {{"above", cssColour(kAboveStock)}, {"below", cssColour(kBelowStock)}}},
            {"game", game}};
}

json figuresJson(const Figures& f) {
    return {{"landed", f.landed},
            {"airtime", f.airtimeS},
            {"distance", f.distanceUu},
            {"top", f.topHeightUu},
            {"landingSpeed", f.landingSpeedUu},
            {"apexTick", f.apexTick}};
}

json slidersJson(const SliderValues& values) {
    json j = json::object();
    for (Slider slider : kSliders) j[std::string(sliderName(slider))] = values[slider];
    return j;
}

std::string flyAnswer(const std::vector<Flight>& flights, bool samples, double headingDeg,
                      std::uint64_t ticket) {
    std::size_t count = 0;
    for (const auto& f : flights) count += f.samples.size();
    std::string out;
    out.reserve(1024 * flights.size() + count * std::size(kColumns) * 8);  // about 8 bytes a value
    out += "{\"flights\":[";
    for (std::size_t i = 0; i < flights.size(); ++i) {
        if (i > 0) out += ',';
        appendFlight(out, flights[i], samples, headingDeg);
    }
    out += "],\"ticket\":" + std::to_string(ticket) + '}';
    return out;
}

json gridAnswer(const LaunchGrid& grid, const Launch& base, const std::vector<Flight>& flights) {
    std::vector<double> pitches, speeds;
    for (int i = 0; i < grid.axes[0].steps; ++i) pitches.push_back(grid.axes[0].at(i));
    for (int i = 0; i < grid.axes[1].steps; ++i) speeds.push_back(grid.axes[1].at(i));
    json cells = json::array();
    for (std::size_t k = 0; k < grid.size(); ++k) {
        const Launch l = grid.launch(base, k);
        const Figures& f = flights[2 * k].figures;
        const Figures& s = flights[2 * k + 1].figures;
        cells.push_back({{"speed", l.speedUu},
                         {"pitch", l.pitchDeg},
                         {"setup", figuresJson(f)},
                         {"stock", figuresJson(s)},
                         {"distanceGain", f.distanceUu - s.distanceUu},
                         {"airtimeGain", f.airtimeS - s.airtimeS}});
    }
    return {{"speeds", speeds}, {"pitches", pitches}, {"cells", cells}};
}

json verdictJson(const std::vector<VerdictRow>& rows) {
    json verdict = json::array();
    for (const VerdictRow& r : rows) {
        const std::string key = r.figure->key;
        verdict.push_back({{"figure", key == "landing" ? "landingSpeed" : key},
                           {"target", r.target},
                           {"got", r.flown},
                           {"miss", r.miss},
                           {"met", r.met}});
    }
    return verdict;
}

}  // namespace flightlab::server
