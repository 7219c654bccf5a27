// The messages between the lab and its workers read back exactly what was sent.
#include <gtest/gtest.h>

#include <tuple>

#include "WorkerMessages.h"

using namespace flightlab;

namespace {

void expectSameSetup(const flightlab::Setup& a, const flightlab::Setup& b) {
    EXPECT_EQ(a.label, b.label);
    EXPECT_EQ(a.modelOn, b.modelOn);
    EXPECT_EQ(a.preset, b.preset);
    EXPECT_EQ(a.overrides, b.overrides);
    EXPECT_EQ(a.body, b.body);
}

// The frame's length prefix is the reader's business; the fields follow it.
wire::Reader fields(const std::string& frame) { return wire::Reader(frame.substr(sizeof(std::uint32_t))); }

}  // namespace

TEST(FlightLabWorkerMessages, JobsFlightsAndErrorsRoundTrip) {
    Job job;
    job.kind = Job::Kind::CreatePreset;
    job.launch = Launch{1234.5, -12.25, 450, 0.75, 33, 67.5, HeldInput{0.25, -1, 0.5, 1}};
    job.setup = flightlab::Setup{"My \"Glide\"", true, "Glide", {{Slider::lift, 7.5f}, {Slider::speed, 0.000499f}}, "merc"};
    job.keepSamples = false;
    job.drawTick = 321;
    job.file = "/tmp/out/tuned.txt";
    job.values = SliderValues{{Slider::lift, 1}, {Slider::roll, 0.25f}};
    job.content = "2.5 1\n";
    job.onlyNew = true;
    job.most = 200;
    auto r = fields(wire::encodeJob(job));
    const Job back = wire::decodeJob(r);
    EXPECT_EQ(back.kind, job.kind);
    EXPECT_EQ(back.launch.speedUu, 1234.5);
    EXPECT_EQ(back.launch.pitchDeg, -12.25);
    EXPECT_EQ(back.launch.heightUu, 450);
    EXPECT_EQ(back.launch.boostSeconds, 0.75);
    EXPECT_EQ(back.launch.timeLimitS, 33);
    EXPECT_EQ(back.launch.headingDeg, 67.5);
    EXPECT_EQ(std::tie(back.launch.input.pitch, back.launch.input.yaw, back.launch.input.roll, back.launch.input.throttle),
              std::make_tuple(0.25, -1.0, 0.5, 1.0));
    expectSameSetup(back.setup, job.setup);
    EXPECT_EQ(back.keepSamples, false);
    EXPECT_EQ(back.drawTick, 321);
    EXPECT_EQ(back.file, job.file);
    EXPECT_EQ(back.values, job.values);
    EXPECT_EQ(back.content, job.content);
    EXPECT_TRUE(back.onlyNew);
    EXPECT_EQ(back.most, 200u);

    Flight f;
    f.figures.landed = true;
    f.figures.turnedBack = true;
    f.figures.airtimeS = 6.125;
    f.figures.distanceUu = -11.9;
    f.figures.sideUu = 3.25;
    f.figures.topHeightUu = 1107.9;
    f.figures.landingSpeedUu = 95.7;
    f.figures.descentAngleDeg = -4.5;
    f.figures.apexTick = 240;
    for (Slider s : kSliders) f.sliders[s] = 0.001f * static_cast<float>(sliderIndex(s) + 1);
    // The car's state is single precision: samples travel as floats, exactly.
    Sample released;
    released.z = 300, released.vx = 1812.6165f, released.vz = 845.2375f;
    released.qw = 0.97629601f, released.qy = -0.21643961f;
    Sample landed;
    landed.tick = 7, landed.x = -0.5f, landed.y = 2.0005f, landed.z = 18.25f;
    landed.vx = -3, landed.vy = 4, landed.vz = -5;
    landed.qw = 0.5f, landed.qx = -0.5f, landed.qy = 0.5f, landed.qz = 0.5f;
    landed.wx = 0.125f, landed.wy = -1.75f, landed.wz = 5.5f, landed.onGround = true;
    f.samples = {released, landed};
    // A listing's names travel byte for byte, those that are no UTF-8 too.
    f.presets = {"Glide", "caf\xe9", ""};
    auto rf = fields(wire::encodeFlight(f));
    const Flight g = wire::decodeFlight(rf);
    EXPECT_EQ(g.figures, f.figures);
    EXPECT_EQ(g.sliders, f.sliders);
    EXPECT_EQ(g.presets, f.presets);
    ASSERT_EQ(g.samples.size(), f.samples.size());
    for (std::size_t i = 0; i < f.samples.size(); ++i) {
        const Sample &a = f.samples[i], &b = g.samples[i];
        EXPECT_EQ(std::tie(a.tick, a.x, a.y, a.z, a.vx, a.vy, a.vz, a.onGround),
                  std::tie(b.tick, b.x, b.y, b.z, b.vx, b.vy, b.vz, b.onGround)) << i;
        EXPECT_EQ(std::tie(a.qw, a.qx, a.qy, a.qz, a.wx, a.wy, a.wz),
                  std::tie(b.qw, b.qx, b.qy, b.qz, b.wx, b.wy, b.wz)) << i;
    }

    auto re = fields(wire::encodeError("the host refused 'wl_x 1'"));
    try {
        wire::decodeFlight(re);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "the host refused 'wl_x 1'");
    }
    // The plug-in's refusal keeps its kind: a conflict may be tried again.
    auto refused = fields(wire::encodeError("stayed locked", wire::ErrorKind::Conflict));
    try {
        wire::decodeFlight(refused);
        ADD_FAILURE() << "no refusal";
    } catch (const JobRefused& e) {
        EXPECT_TRUE(e.conflict);
        EXPECT_STREQ(e.what(), "stayed locked");
    }
    // A message cut short is an error, never a read past its end.
    const std::string frame = wire::encodeFlight(f);
    auto cut = fields(frame.substr(0, frame.size() - 3));
    EXPECT_THROW(wire::decodeFlight(cut), std::runtime_error);
}
