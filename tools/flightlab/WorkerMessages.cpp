// The messages between the lab and its workers.
#include "WorkerMessages.h"

#include <unistd.h>

#include <cerrno>

namespace flightlab::wire {

namespace {

// False at the end of the stream before any byte.
bool readExactly(int fd, char* buf, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buf + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 && done == 0) return false;
        if (n <= 0) throw std::runtime_error("a worker ended in the middle of a message");
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void putLaunch(Writer& w, const Launch& l) {
    for (double v : {l.speedUu, l.pitchDeg, l.heightUu, l.boostSeconds, l.timeLimitS, l.headingDeg,
                     l.input.pitch, l.input.yaw, l.input.roll, l.input.throttle})
        w.put(v);
}
Launch getLaunch(Reader& r) {
    Launch l;
    for (double* v : {&l.speedUu, &l.pitchDeg, &l.heightUu, &l.boostSeconds, &l.timeLimitS,
                      &l.headingDeg, &l.input.pitch, &l.input.yaw, &l.input.roll, &l.input.throttle})
        *v = r.get<double>();
    return l;
}

void putFigures(Writer& w, const Figures& f) {
    w.put(static_cast<std::uint8_t>(f.landed));
    w.put(static_cast<std::uint8_t>(f.turnedBack));
    for (double v : {f.airtimeS, f.distanceUu, f.sideUu, f.topHeightUu, f.landingSpeedUu,
                     f.descentAngleDeg})
        w.put(v);
    w.put(f.apexTick);
}
Figures getFigures(Reader& r) {
    Figures f;
    f.landed = r.get<std::uint8_t>() != 0;
    f.turnedBack = r.get<std::uint8_t>() != 0;
    for (double* v : {&f.airtimeS, &f.distanceUu, &f.sideUu, &f.topHeightUu, &f.landingSpeedUu,
                      &f.descentAngleDeg})
        *v = r.get<double>();
    f.apexTick = r.get<int>();
    return f;
}

void putSliders(Writer& w, const SliderValues& values) {
    for (Slider slider : kSliders) w.put(values[slider]);
}
SliderValues getSliders(Reader& r) {
    SliderValues values;
    for (Slider slider : kSliders) values[slider] = r.get<float>();
    return values;
}

void putSetup(Writer& w, const Setup& s) {
    w.put(s.label);
    w.put(static_cast<std::uint8_t>(s.modelOn));
    w.put(s.preset);
    w.put(static_cast<std::uint32_t>(s.overrides.size()));
    for (const auto& [slider, value] : s.overrides) {
        w.put(static_cast<std::uint8_t>(slider));
        w.put(value);
    }
    w.put(s.body);
}
Setup getSetup(Reader& r) {
    Setup s;
    s.label = r.text();
    s.modelOn = r.get<std::uint8_t>() != 0;
    s.preset = r.text();
    const auto n = r.get<std::uint32_t>();
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto index = r.get<std::uint8_t>();
        if (index >= kSliderCount) throw std::runtime_error("a worker's message names no slider");
        s.overrides.emplace_back(kSliders[index], r.get<float>());
    }
    s.body = r.text();
    return s;
}

}  // namespace

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error(std::string("a worker's pipe failed: ") + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
}

bool readFrame(int fd, std::string& bytes) {
    std::uint32_t size = 0;
    if (!readExactly(fd, reinterpret_cast<char*>(&size), sizeof size)) return false;
    bytes.assign(size, '\0');
    return size == 0 || readExactly(fd, bytes.data(), size);
}
std::string encodeJob(const Job& job) {
    Writer w;
    w.put(static_cast<std::uint8_t>(job.kind));
    putLaunch(w, job.launch);
    putSetup(w, job.setup);
    w.put(static_cast<std::uint8_t>(job.keepSamples));
    w.put(job.drawTick);
    w.put(job.file);
    putSliders(w, job.values);
    w.put(job.content);
    w.put(static_cast<std::uint8_t>(job.onlyNew));
    w.put(job.most);
    return std::move(w).frame();
}
Job decodeJob(Reader& r) {
    Job job;
    job.kind = static_cast<Job::Kind>(r.get<std::uint8_t>());
    job.launch = getLaunch(r);
    job.setup = getSetup(r);
    job.keepSamples = r.get<std::uint8_t>() != 0;
    job.drawTick = r.get<int>();
    job.file = r.text();
    job.values = getSliders(r);
    job.content = r.text();
    job.onlyNew = r.get<std::uint8_t>() != 0;
    job.most = r.get<std::uint32_t>();
    return job;
}

// Bytes of one trajectory sample in a message. The car's state is single precision, so the
// sample's figures travel as floats, exactly.
constexpr std::size_t kSampleBytes = sizeof(int) + 13 * sizeof(float) + 1;

std::string encodeFlight(const Flight& f) {
    Writer w(128 + kSliderCount * sizeof(float) + f.samples.size() * kSampleBytes);
    w.put(static_cast<std::uint8_t>(1));
    putFigures(w, f.figures);
    putSliders(w, f.sliders);
    w.put(static_cast<std::uint32_t>(f.samples.size()));
    for (const Sample& s : f.samples) {
        w.put(s.tick);
        for (double v : {s.x, s.y, s.z, s.vx, s.vy, s.vz, s.qw, s.qx, s.qy, s.qz, s.wx, s.wy, s.wz})
            w.put(static_cast<float>(v));
        w.put(static_cast<std::uint8_t>(s.onGround));
    }
    w.put(static_cast<std::uint32_t>(f.presets.size()));
    for (const std::string& name : f.presets) w.put(name);
    return std::move(w).frame();
}

Flight decodeFlight(Reader& r) {
    if (r.get<std::uint8_t>() == 0) {
        const std::string message = r.text();
        const auto kind = static_cast<ErrorKind>(r.get<std::uint8_t>());
        if (kind == ErrorKind::Failed) throw std::runtime_error(message);
        throw JobRefused(message, kind == ErrorKind::Conflict);
    }
    Flight f;
    f.figures = getFigures(r);
    f.sliders = getSliders(r);
    // Reserved, not resized: every sample is written once, without zeroing it first.
    const auto count = r.get<std::uint32_t>();
    f.samples.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Sample& s = f.samples.emplace_back();
        s.tick = r.get<int>();
        for (double* v : {&s.x, &s.y, &s.z, &s.vx, &s.vy, &s.vz, &s.qw, &s.qx, &s.qy, &s.qz, &s.wx,
                          &s.wy, &s.wz})
            *v = r.get<float>();
        s.onGround = r.get<std::uint8_t>() != 0;
    }
    const auto presets = r.get<std::uint32_t>();
    for (std::uint32_t i = 0; i < presets; ++i) f.presets.push_back(r.text());
    return f;
}

std::string encodeError(const std::string& message, ErrorKind kind) {
    Writer w;
    w.put(static_cast<std::uint8_t>(0));
    w.put(message);
    w.put(static_cast<std::uint8_t>(kind));
    return std::move(w).frame();
}

}  // namespace flightlab::wire
