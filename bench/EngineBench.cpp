// The host's share of a tick, each part alone: the car's physics step, a ball lying still,
// and the host with eight cars and the model on. Figures per tick in float divisions.
#include <benchmark/benchmark.h>

#include <string>

#include "Divisions.h"
#include "game/Physics.h"
#include "wltest/PluginHarness.h"

namespace {

constexpr int kTicksPerRun = 100;

// The worked launch: in the air at 500 uu, nose level, moving forward and up, boosting.
const RBState kInTheAir{Quat(), Vector(0, 0, 500), Vector(1000, 0, 100), Vector(0.5f, -0.25f, 1), 0,
                        0, 0};

// One car's physics step in the air with boost and stick input, 100 ticks from the same start.
void BM_CarStepInTheAir(benchmark::State& state) {
    host::Game game;
    game.setMode(host::Mode::Freeplay);
    host::Car& car = *game.localCar();
    car.input.boost = true;
    car.input.pitch = 0.5f;
    car.input.roll = -0.25f;
    const wlbench::DivisionMeter meter;
    for (auto _ : state) {
        car.rb = kInTheAir;
        car.onGround = 0;
        for (int t = 0; t < kTicksPerRun; ++t) host::phys::stepCar(car, host::phys::kTickSeconds);
        benchmark::DoNotOptimize(car.rb);
    }
    meter.report(state, kTicksPerRun);
}
BENCHMARK(BM_CarStepInTheAir);

// The ball's step once it lies still on the floor.
void BM_BallLyingStill(benchmark::State& state) {
    host::Game game;
    game.setMode(host::Mode::Freeplay);
    host::Ball& ball = *game.ball();
    for (int t = 0; t < 10; ++t) host::phys::stepBall(ball, host::phys::kTickSeconds);
    const wlbench::DivisionMeter meter;
    for (auto _ : state) {
        host::phys::stepBall(ball, host::phys::kTickSeconds);
        benchmark::DoNotOptimize(ball.rb);
    }
    meter.report(state);
}
BENCHMARK(BM_BallLyingStill);

// The whole host tick with eight cars flying and the model on: hooks, model, physics, ball.
// Reported per car-tick; items per second are car-ticks per second.
void BM_HostEightCarsModelOn(benchmark::State& state) {
    wltest::PluginHarness h(host::Mode::Freeplay);
    h.run("wl_enabled 1");
    h.game.setCarCount(host::Game::kMaxCars);
    const auto launch = [&h] {
        for (int i = 0; i < h.game.carCount(); ++i) {
            host::Car& car = *h.game.car(i);
            car.rb = kInTheAir;
            car.rb.Location.Y = 300.0f * static_cast<float>(i);
            car.onGround = 0;
        }
    };
    const wlbench::DivisionMeter meter;
    for (auto _ : state) {
        launch();
        h.game.tick(kTicksPerRun);
        benchmark::DoNotOptimize(h.game.car(0)->rb);
    }
    const double carTicks = double(kTicksPerRun) * h.game.carCount();
    meter.report(state, carTicks);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(carTicks));
}
BENCHMARK(BM_HostEightCarsModelOn);

}  // namespace

BENCHMARK_MAIN();
