// Field tables of cars, wheels and balls: printing as "%.9g" and checked setting from words.
#include "SimFields.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace host {

namespace {

// The components of a compound value in the order sim_state shows them and sim_set reads them.
constexpr float Vector::*kVectorParts[] = {&Vector::X, &Vector::Y, &Vector::Z};
constexpr float Quat::*kQuatParts[] = {&Quat::W, &Quat::X, &Quat::Y, &Quat::Z};  // W first
constexpr int Rotator::*kRotatorParts[] = {&Rotator::Pitch, &Rotator::Yaw, &Rotator::Roll};
constexpr float StickyForceData::*kStickyParts[] = {&StickyForceData::Ground,
                                                    &StickyForceData::Wall};

template <typename T, typename C, std::size_t N>
void put(double* out, const T& value, C T::*const (&parts)[N]) {
    for (std::size_t i = 0; i < N; ++i) out[i] = value.*parts[i];
}

template <typename T, typename C, std::size_t N>
T take(const double* in, C T::*const (&parts)[N]) {
    T value{};
    for (std::size_t i = 0; i < N; ++i) value.*parts[i] = static_cast<C>(in[i]);
    return value;
}

#define WL_SCALAR(Obj, name, kind, expr, type)                                                     \
    {name, kind, 1, [](const Obj& o, double* v) { v[0] = static_cast<double>(o.expr); },           \
     [](Obj& o, const double* v) { o.expr = static_cast<type>(v[0]); }}

// A field of several components, shown and typed in the order of `parts`.
#define WL_COMPOUND(Obj, name, kind, expr, parts)                                                  \
    {name, kind, static_cast<int>(std::size(parts)),                                               \
     [](const Obj& o, double* v) { put(v, o.expr, parts); },                                       \
     [](Obj& o, const double* v) { o.expr = take(v, parts); }}

// The rigid-body fields every car and ball has.
#define WL_RB_FIELDS(Obj)                                                                          \
    WL_COMPOUND(Obj, "location", FieldKind::Float, rb.Location, kVectorParts),                     \
        WL_COMPOUND(Obj, "velocity", FieldKind::Float, rb.LinearVelocity, kVectorParts),           \
        WL_COMPOUND(Obj, "angular_velocity", FieldKind::Float, rb.AngularVelocity, kVectorParts),  \
        WL_COMPOUND(Obj, "quaternion", FieldKind::Float, rb.Quaternion, kQuatParts)

const Field<Car> kCarFields[] = {
    WL_RB_FIELDS(Car),
    WL_COMPOUND(Car, "extent", FieldKind::Float, extent, kVectorParts),
    WL_SCALAR(Car, "mass", FieldKind::Float, mass, float),
    WL_SCALAR(Car, "on_ground", FieldKind::Flag, onGround, unsigned long),
    WL_SCALAR(Car, "max_linear_speed", FieldKind::Float, maxLinearSpeed, float),
    WL_SCALAR(Car, "max_linear_speed2", FieldKind::Float, maxLinearSpeed2, float),
    WL_SCALAR(Car, "max_angular_speed", FieldKind::Float, maxAngularSpeed, float),
    WL_COMPOUND(Car, "sticky_force", FieldKind::Float, sticky, kStickyParts),
    WL_SCALAR(Car, "has_boost", FieldKind::Flag, boost.alive, bool),
    WL_SCALAR(Car, "boost_force", FieldKind::Float, boost.boostForce, float),
    WL_SCALAR(Car, "has_air_control", FieldKind::Flag, airControl.alive, bool),
    WL_SCALAR(Car, "throttle_force", FieldKind::Float, airControl.throttleForce, float),
    WL_COMPOUND(Car, "air_torque", FieldKind::Int, airControl.airTorque, kRotatorParts),
    WL_COMPOUND(Car, "air_damping", FieldKind::Int, airControl.airDamping, kRotatorParts),
    WL_SCALAR(Car, "drive_torque", FieldKind::Float, sim.driveTorque, float),
    WL_SCALAR(Car, "brake_torque", FieldKind::Float, sim.brakeTorque, float),
    WL_SCALAR(Car, "stop_threshold", FieldKind::Float, sim.stopThreshold, float),
    WL_SCALAR(Car, "idle_brake_factor", FieldKind::Float, sim.idleBrakeFactor, float),
    WL_SCALAR(Car, "opposite_brake_factor", FieldKind::Float, sim.oppositeBrakeFactor, float),
    WL_SCALAR(Car, "ackermann", FieldKind::Flag, sim.useAckermannSteering, unsigned long),
    {"wheels", FieldKind::WheelCount, 1,
     [](const Car& c, double* v) { v[0] = c.sim.wheelCount; },
     [](Car& c, const double* v) { c.setWheelCount(static_cast<int>(v[0])); }},
};

const Field<Wheel> kWheelFields[] = {
    WL_SCALAR(Wheel, "suspension_stiffness", FieldKind::Float, suspensionStiffness, float),
    WL_SCALAR(Wheel, "suspension_damping_compression", FieldKind::Float,
              suspensionDampingCompression, float),
    WL_SCALAR(Wheel, "suspension_damping_relaxation", FieldKind::Float,
              suspensionDampingRelaxation, float),
    WL_SCALAR(Wheel, "suspension_travel", FieldKind::Float, suspensionTravel, float),
    WL_SCALAR(Wheel, "suspension_max_raise", FieldKind::Float, suspensionMaxRaise, float),
    WL_SCALAR(Wheel, "spin_speed_decay_rate", FieldKind::Float, spinSpeedDecayRate, float),
    WL_SCALAR(Wheel, "spin_speed", FieldKind::Float, spinSpeed, float),
    WL_SCALAR(Wheel, "steer", FieldKind::Float, steer, float),
    WL_SCALAR(Wheel, "suspension_distance", FieldKind::Float, suspensionDistance, float),
    WL_COMPOUND(Wheel, "ref_location", FieldKind::Float, refLocation, kVectorParts),
};

const Field<Ball> kBallFields[] = {WL_RB_FIELDS(Ball)};

#undef WL_RB_FIELDS
#undef WL_SCALAR
#undef WL_COMPOUND

std::string formatNumber(FieldKind kind, double v) {
    if (kind != FieldKind::Float) return std::to_string(static_cast<long long>(v));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

template <typename Obj>
void printFields(const Obj& o, std::span<const Field<Obj>> fields, const std::string& prefix,
                 std::vector<std::string>& lines) {
    double v[4];
    for (const Field<Obj>& fd : fields) {
        fd.get(o, v);
        std::string line = prefix + "." + std::string(fd.name) + " = ";
        for (int i = 0; i < fd.arity; ++i) {
            if (i > 0) line += ", ";
            line += formatNumber(fd.kind, v[i]);
        }
        lines.push_back(std::move(line));
    }
}

bool parseIntWord(const std::string& word, long long lo, long long hi, double& out) {
    double d = 0;
    if (!parseFloatWord(word, d) || d != std::floor(d) || d < double(lo) || d > double(hi))
        return false;
    out = d;
    return true;
}

template <typename Obj>
bool setField(Obj& o, std::span<const Field<Obj>> fields, std::string_view name,
              std::span<const std::string> words, std::string& error) {
    for (const Field<Obj>& fd : fields) {
        if (fd.name != name) continue;
        if (static_cast<int>(words.size()) != fd.arity) {
            error = std::string(name) + " takes " + std::to_string(fd.arity) + " value" +
                    (fd.arity == 1 ? "" : "s") + ", got " + std::to_string(words.size());
            return false;
        }
        double v[4];
        for (int i = 0; i < fd.arity; ++i) {
            const std::string& w = words[static_cast<std::size_t>(i)];
            bool ok = false;
            switch (fd.kind) {
                case FieldKind::Float: {
                    float f = 0.0f;
                    ok = parseFloatValue(w, f);
                    v[i] = f;
                    break;
                }
                case FieldKind::Int: ok = parseIntWord(w, INT_MIN, INT_MAX, v[i]); break;
                case FieldKind::Flag: ok = parseIntWord(w, 0, 1, v[i]); break;
                case FieldKind::WheelCount: ok = parseIntWord(w, 0, phys::kMaxWheels, v[i]); break;
            }
            if (!ok) {
                const std::string expected =
                    fd.kind == FieldKind::Float  ? "a finite number"
                    : fd.kind == FieldKind::Int  ? "a whole number"
                    : fd.kind == FieldKind::Flag ? "0 or 1"
                                                 : "a wheel count from 0 to " +
                                                       std::to_string(phys::kMaxWheels);
                error = std::string(name) + " needs " + expected + ", got '" + w + "'";
                return false;
            }
        }
        fd.set(o, v);
        return true;
    }
    error = "unknown field '" + std::string(name) + "'";
    return false;
}

}  // namespace

bool parseFloatWord(const std::string& word, double& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    const double d = std::strtod(word.c_str(), &end);
    // Beyond FLT_MAX by less than half a float step still rounds to FLT_MAX, as "%.9g" prints it.
    if (end != word.c_str() + word.size() || !std::isfinite(static_cast<float>(d))) return false;
    out = d;
    return true;
}

bool parseFloatValue(const std::string& word, float& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    // Rounded once, from the decimal text straight to float: the text "%.9g" printed for a
    // float gives back that float's bits, subnormals included (strtof may then report a
    // harmless ERANGE for the lost low bits).
    const float f = std::strtof(word.c_str(), &end);
    if (end != word.c_str() + word.size() || !std::isfinite(f)) return false;
    out = f;
    return true;
}

std::span<const Field<Car>> carFields() { return kCarFields; }
std::span<const Field<Wheel>> wheelFields() { return kWheelFields; }
std::span<const Field<Ball>> ballFields() { return kBallFields; }

void printCar(const Car& car, const std::string& prefix, std::vector<std::string>& lines) {
    printFields(car, carFields(), prefix, lines);
    for (int i = 0; i < car.sim.wheelCount; ++i)
        printFields(car.sim.wheels[static_cast<std::size_t>(i)], wheelFields(),
                    prefix + ".wheel" + std::to_string(i), lines);
}

void printBall(const Ball& ball, const std::string& prefix, std::vector<std::string>& lines) {
    printFields(ball, ballFields(), prefix, lines);
}

bool setCarField(Car& car, std::string_view name, std::span<const std::string> words,
                 std::string& error) {
    // "wheelK.FIELD" addresses one wheel of the car.
    if (name.starts_with("wheel") && name.find('.') != std::string_view::npos) {
        const std::string_view number = name.substr(5, name.find('.') - 5);
        int k = 0;
        // At most two digits: a longer word is no wheel, and must not overflow k.
        bool digits = !number.empty() && number.size() <= 2;
        for (std::size_t i = 0; digits && i < number.size(); ++i) {
            digits = number[i] >= '0' && number[i] <= '9';
            k = k * 10 + (number[i] - '0');
        }
        if (!digits || k >= car.sim.wheelCount) {
            error = "no wheel '" + std::string(number) + "' (the car has " +
                    std::to_string(car.sim.wheelCount) + " wheels)";
            return false;
        }
        return setField(car.sim.wheels[static_cast<std::size_t>(k)], wheelFields(),
                        name.substr(name.find('.') + 1), words, error);
    }
    return setField(car, carFields(), name, words, error);
}

bool setBallField(Ball& ball, std::string_view name, std::span<const std::string> words,
                  std::string& error) {
    return setField(ball, ballFields(), name, words, error);
}

}  // namespace host
