// The workbench's requests: JSON bodies decoded into checked values, or an error naming the
// field at fault.
#include "Requests.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace flightlab::server {

namespace {

using nlohmann::json;

[[noreturn]] void refuse(const std::string& field, const std::string& message) {
    throw RequestError{field, message};
}

std::string rangeText(double min, double max) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "a number from %g to %g", min, max);
    return buf;
}

json parseObject(std::string_view body) {
    if (body.size() > kMaxBodyBytes) refuse("", "the body is larger than 64 KiB");
    json j = json::parse(body.begin(), body.end(), nullptr, false);
    if (j.is_discarded()) refuse("", "the body is not valid JSON");
    if (!j.is_object()) refuse("", "the body must be a JSON object");
    return j;
}

// The members of an object that the request knows; any other is refused, so that a typing
// error in a field name is not ignored silently.
void onlyKnown(const json& object, const std::string& where, std::initializer_list<std::string_view> known) {
    for (const auto& [key, value] : object.items()) {
        bool ok = false;
        for (std::string_view k : known) ok = ok || key == k;
        if (!ok) refuse(where + key, "unknown field");
    }
}

const json* member(const json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

double number(const json& v, const std::string& field, double min, double max) {
    if (!v.is_number()) refuse(field, "must be " + rangeText(min, max));
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < min || d > max) refuse(field, "must be " + rangeText(min, max));
    return d;
}

int wholeNumber(const json& v, const std::string& field, int min, int max) {
    const double d = number(v, field, min, max);
    if (d != std::floor(d)) refuse(field, "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    return static_cast<int>(d);
}

std::string text(const json& v, const std::string& field, std::size_t maxBytes) {
    if (!v.is_string()) refuse(field, "must be a string");
    const auto& s = v.get_ref<const std::string&>();
    if (s.size() > maxBytes) refuse(field, "is longer than " + std::to_string(maxBytes) + " bytes");
    return s;
}

bool flag(const json& v, const std::string& field) {
    if (!v.is_boolean()) refuse(field, "must be true or false");
    return v.get<bool>();
}

void readNumber(const json& o, const char* key, const std::string& prefix, double& target, double min, double max) {
    if (const json* v = member(o, key)) target = number(*v, prefix + key, min, max);
}

Launch launchFrom(const json& root) {
    Launch l;
    const json* v = member(root, "launch");
    if (v == nullptr) return l;
    if (!v->is_object()) refuse("launch", "must be an object");
    onlyKnown(*v, "launch.", {"speed", "pitch", "height", "boostTime", "timeLimit", "heading", "input"});
    readNumber(*v, "speed", "launch.", l.speedUu, 0, 100000);
    readNumber(*v, "pitch", "launch.", l.pitchDeg, -90, 90);
    readNumber(*v, "height", "launch.", l.heightUu, 18, 100000);
    readNumber(*v, "boostTime", "launch.", l.boostSeconds, 0, 600);
    readNumber(*v, "timeLimit", "launch.", l.timeLimitS, 0.01, kMaxTimeLimitS);
    readNumber(*v, "heading", "launch.", l.headingDeg, -360, 360);
    if (const json* input = member(*v, "input")) {
        if (!input->is_object()) refuse("launch.input", "must be an object");
        onlyKnown(*input, "launch.input.", {"pitch", "yaw", "roll", "throttle"});
        readNumber(*input, "pitch", "launch.input.", l.input.pitch, -1, 1);
        readNumber(*input, "yaw", "launch.input.", l.input.yaw, -1, 1);
        readNumber(*input, "roll", "launch.input.", l.input.roll, -1, 1);
        readNumber(*input, "throttle", "launch.input.", l.input.throttle, -1, 1);
    }
    return l;
}

std::string bodyFrom(const json& v, const std::string& field) {
    const std::string name = text(v, field, 32);
    if (!findBody(name)) {
        std::string names;
        for (const Body& b : kBodies) names += (names.empty() ? "" : ", ") + std::string(b.name);
        refuse(field, "unknown body '" + name + "' (bodies: " + names + ")");
    }
    return name;
}

// Slider values by name, each within its console range.
std::vector<std::pair<int, double>> sliderList(const json& v, const std::string& field, const SliderRanges& ranges) {
    if (!v.is_object()) refuse(field, "must be an object of slider values by name");
    std::vector<std::pair<int, double>> list;
    for (const auto& [key, value] : v.items()) {
        const int index = sliderIndex(key);
        if (index < 0) refuse(field + "." + key, "unknown slider");
        const SliderRange& r = ranges[static_cast<std::size_t>(index)];
        list.emplace_back(index, number(value, field + "." + key, r.min, r.max));
    }
    return list;
}

// All fourteen values: those given, the defaults for the others.
SliderValues slidersFrom(const json& v, const std::string& field, const SliderRanges& ranges) {
    SliderValues values{};
    for (std::size_t i = 0; i < kSliderCount; ++i) values[i] = ranges[i].defaultValue;
    for (const auto& [index, value] : sliderList(v, field, ranges)) values[static_cast<std::size_t>(index)] = value;
    return values;
}

std::string presetFrom(const json& v, const std::string& field) {
    const std::string preset = nameOfShown(text(v, field, 400));
    if (isBasePreset(preset)) return preset;
    if (const std::string problem = nameProblem(preset); !problem.empty()) refuse(field, problem);
    return preset;
}

SetupRequest setupFrom(const json& v, const std::string& field, const SliderRanges& ranges) {
    if (!v.is_object()) refuse(field, "must be an object");
    onlyKnown(v, field + ".", {"label", "model", "preset", "sliders", "body"});
    SetupRequest s;
    if (const json* m = member(v, "label")) s.label = text(*m, field + ".label", kMaxLabelBytes);
    if (const json* m = member(v, "model")) s.modelOn = flag(*m, field + ".model");
    if (const json* m = member(v, "preset")) s.preset = presetFrom(*m, field + ".preset");
    if (const json* m = member(v, "sliders")) s.sliders = sliderList(*m, field + ".sliders", ranges);
    if (const json* m = member(v, "body")) s.body = bodyFrom(*m, field + ".body");
    if (!s.modelOn && (!s.sliders.empty() || !s.preset.empty()))
        refuse(field + ".model", "the stock car (model false) takes no preset or sliders");
    return s;
}

// WHERE prefixes the field named in the refusal, for members of nested objects.
const json& required(const json& o, const char* key, const std::string& where = "") {
    const json* v = member(o, key);
    if (v == nullptr) refuse(where + key, "is required");
    return *v;
}

TargetRequest targetFrom(const json& o, const char* key, double max) {
    TargetRequest t;
    const json* v = member(o, key);
    if (v == nullptr || v->is_null()) return t;
    const std::string field = std::string("targets.") + key;
    if (v->is_number()) {
        t.value = number(*v, field, 1e-6, max);
        return t;
    }
    if (!v->is_object()) refuse(field, "must be a number or {\"relative\": FACTOR}");
    onlyKnown(*v, field + ".", {"relative"});
    t.relativeToStock = number(required(*v, "relative", field + "."), field + ".relative", 0.01, 100);
    return t;
}

}  // namespace

// The length of the UTF-8 character at the start of S, or 0 when it does not start with one.
std::size_t utf8Length(std::string_view s) {
    auto byte = [&](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    auto in = [](unsigned c, unsigned low, unsigned high) { return c >= low && c <= high; };
    const unsigned c = byte(0);
    if (c < 0x80) return 1;
    if (in(c, 0xC2, 0xDF)) return in(byte(1), 0x80, 0xBF) ? 2 : 0;
    const unsigned low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    const std::size_t length = in(c, 0xE0, 0xEF) ? 3 : in(c, 0xF0, 0xF4) ? 4 : 0;
    if (length == 0 || !in(byte(1), low, high)) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!in(byte(i), 0x80, 0xBF)) return 0;
    return length;
}

std::string shownName(std::string_view name) {
    std::string shown;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = utf8Length(name.substr(i));
        if (n > 0) {
            shown.append(name.substr(i, n));
            i += n;
            continue;
        }
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(name[i++]));
        shown += escape;
    }
    return shown;
}

std::string nameOfShown(std::string_view shown) {
    std::string name;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool escape = shown.substr(i, 2) == "\\x" && i + 4 <= shown.size() &&
                            std::isxdigit(static_cast<unsigned char>(shown[i + 2])) &&
                            std::isxdigit(static_cast<unsigned char>(shown[i + 3]));
        const unsigned long byte =
            escape ? std::stoul(std::string(shown.substr(i + 2, 2)), nullptr, 16) : 0;
        if (byte >= 0x80) {
            name += static_cast<char>(byte);
            i += 3;
        } else {
            name += shown[i];
        }
    }
    return name;
}

std::string nameProblem(std::string_view name) {
    if (name.empty()) return "must not be empty";
    if (name.size() > 100) return "is longer than 100 bytes";
    if (name.find_first_of("\";\r\n/\\") != std::string_view::npos)
        return "may not hold quotes, ';', slashes or line breaks";
    if (name == "." || name == "..") return "may not be '.' or '..'";
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f) return "may not hold control characters";
    return "";
}

FlyRequest decodeFly(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"launch", "setups", "samples"});
    FlyRequest r;
    r.launch = launchFrom(root);
    const json& setups = required(root, "setups");
    if (!setups.is_array() || setups.empty() || setups.size() > kMaxSetups)
        refuse("setups", "must be a list of 1 to " + std::to_string(kMaxSetups) + " set-ups");
    for (std::size_t i = 0; i < setups.size(); ++i)
        r.setups.push_back(setupFrom(setups[i], "setups[" + std::to_string(i) + "]", ranges));
    if (const json* v = member(root, "samples")) r.samples = flag(*v, "samples");
    return r;
}

GridRequest decodeGrid(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"launch", "setup", "speeds", "pitches", "speedFrom", "speedTo", "pitchFrom", "pitchTo"});
    GridRequest r;
    r.launch = launchFrom(root);
    r.setup = setupFrom(required(root, "setup"), "setup", ranges);
    if (const json* v = member(root, "speeds")) r.speeds = wholeNumber(*v, "speeds", 2, kMaxGridSide);
    if (const json* v = member(root, "pitches")) r.pitches = wholeNumber(*v, "pitches", 2, kMaxGridSide);
    readNumber(root, "speedFrom", "", r.speedFrom, 0, 100000);
    readNumber(root, "speedTo", "", r.speedTo, 0, 100000);
    readNumber(root, "pitchFrom", "", r.pitchFrom, -90, 90);
    readNumber(root, "pitchTo", "", r.pitchTo, -90, 90);
    if (r.speedTo <= r.speedFrom) refuse("speedTo", "must be above speedFrom");
    if (r.pitchTo <= r.pitchFrom) refuse("pitchTo", "must be above pitchFrom");
    return r;
}

TuneRequest decodeTune(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"launch", "body", "targets", "start", "fixed", "seed"});
    TuneRequest r;
    r.launch = launchFrom(root);
    if (const json* v = member(root, "body")) r.body = bodyFrom(*v, "body");
    const json& targets = required(root, "targets");
    if (!targets.is_object()) refuse("targets", "must be an object");
    onlyKnown(targets, "targets.", {"airtime", "distance", "top", "landing"});
    r.airtime = targetFrom(targets, "airtime", 600);
    r.distance = targetFrom(targets, "distance", 1e7);
    r.top = targetFrom(targets, "top", 1e7);
    r.landing = targetFrom(targets, "landing", 1e6);
    if (!r.airtime.value && !r.airtime.relativeToStock && !r.distance.value && !r.distance.relativeToStock &&
        !r.top.value && !r.top.relativeToStock && !r.landing.value && !r.landing.relativeToStock)
        refuse("targets", "needs at least one of airtime, distance, top, landing");
    if (const json* v = member(root, "start")) r.start = slidersFrom(*v, "start", ranges);
    if (const json* v = member(root, "fixed")) r.fixed = sliderList(*v, "fixed", ranges);
    if (const json* v = member(root, "seed"))
        r.seed = static_cast<unsigned>(number(*v, "seed", 0, 4294967295.0));
    return r;
}

SaveRequest decodeSave(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"name", "sliders", "overwrite"});
    SaveRequest r;
    r.name = nameOfShown(text(required(root, "name"), "name", 400));
    if (const std::string problem = nameProblem(r.name); !problem.empty()) refuse("name", problem);
    r.sliders = slidersFrom(required(root, "sliders"), "sliders", ranges);
    if (const json* v = member(root, "overwrite")) r.overwrite = flag(*v, "overwrite");
    return r;
}

HudRequest decodeHud(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"launch", "setup", "tick"});
    HudRequest r;
    r.launch = launchFrom(root);
    r.setup = setupFrom(required(root, "setup"), "setup", ranges);
    const int lastTick = ticksFor(r.launch.timeLimitS);
    r.tick = wholeNumber(required(root, "tick"), "tick", 0, lastTick);
    return r;
}

PresetFileRequest decodePresetFile(std::string_view body, const SliderRanges& ranges) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"sliders"});
    return {slidersFrom(required(root, "sliders"), "sliders", ranges)};
}

PresetTextRequest decodePresetText(std::string_view body) {
    const json root = parseObject(body);
    onlyKnown(root, "", {"text"});
    PresetTextRequest r{text(required(root, "text"), "text", 16 * 1024)};
    for (unsigned char c : r.text)
        if (c == 0) refuse("text", "is not a text file");
    return r;
}

}  // namespace flightlab::server
