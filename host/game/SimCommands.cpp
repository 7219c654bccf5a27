// The sim_ console commands: argument checks, then one change to the simulated game or one answer.
#include "SimCommands.h"

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "Game.h"
#include "SimFields.h"
#include "console/Console.h"

namespace host {

namespace {

constexpr int kMaxTicksPerCommand = 10'000'000;

bool fail(Console& console, const std::string& message) {
    console.err(message);
    return false;
}

bool parseWhole(const std::string& word, long long lo, long long hi, int& out) {
    double d = 0;
    if (!parseFloatWord(word, d) || d != std::floor(d) || d < double(lo) || d > double(hi))
        return false;
    out = static_cast<int>(d);
    return true;
}

bool simMode(Console& console, Game& game, const Words& w) {
    const auto mode = w.size() == 2 ? parseMode(w[1]) : std::nullopt;
    if (!mode)
        return fail(console, "usage: sim_mode menu|freeplay|training|exhibition|online");
    game.setMode(*mode);
    return true;
}

bool simEvent(Console& console, Game& game, const Words& w) {
    if (w.size() < 2) return fail(console, "usage: sim_event NAME");
    // Event names contain a blank; they may be typed quoted or as separate words.
    std::string name = w[1];
    for (std::size_t i = 2; i < w.size(); ++i) name += " " + w[i];
    game.fireEvent(name);
    return true;
}

bool simTick(Console& console, Game& game, const Words& w) {
    int n = 1;
    if (w.size() > 2 || (w.size() == 2 && !parseWhole(w[1], 0, kMaxTicksPerCommand, n)))
        return fail(console, "usage: sim_tick [N] (N a whole number from 0 to " +
                                 std::to_string(kMaxTicksPerCommand) + ")");
    // One tick at a time, so that quit or an interrupt ends a long run at the next tick.
    for (int i = 0; i < n && !console.quitRequested(); ++i) game.tick();
    return true;
}

bool simInput(Console& console, Game& game, const Words& w) {
    if (w.size() < 3 || w.size() % 2 == 0)
        return fail(console, "usage: sim_input NAME VALUE ... (throttle, steer, pitch, yaw, roll "
                             "-1..1; boost, jump, handbrake 0|1)");
    ControllerInput in = game.localInput();
    for (std::size_t i = 1; i + 1 < w.size(); i += 2) {
        const std::string& name = w[i];
        const std::string& word = w[i + 1];
        double v = 0;
        float* axis = name == "throttle" ? &in.throttle
                      : name == "steer"  ? &in.steer
                      : name == "pitch"  ? &in.pitch
                      : name == "yaw"    ? &in.yaw
                      : name == "roll"   ? &in.roll
                                         : nullptr;
        bool* button = name == "boost"       ? &in.boost
                       : name == "jump"      ? &in.jump
                       : name == "handbrake" ? &in.handbrake
                                             : nullptr;
        if (axis != nullptr) {
            if (!parseFloatWord(word, v) || v < -1.0 || v > 1.0)
                return fail(console, "sim_input: " + name + " needs a number from -1 to 1, got '" +
                                         word + "'");
            *axis = static_cast<float>(v);
        } else if (button != nullptr) {
            if (!parseFloatWord(word, v) || (v != 0.0 && v != 1.0))
                return fail(console, "sim_input: " + name + " needs 0 or 1, got '" + word + "'");
            *button = v == 1.0;
        } else {
            return fail(console, "sim_input: unknown input '" + name + "'");
        }
    }
    game.localInput() = in;
    return true;
}

bool simCars(Console& console, Game& game, const Words& w) {
    int n = 0;
    if (w.size() != 2 || !parseWhole(w[1], 1, Game::kMaxCars, n))
        return fail(console,
                    "usage: sim_cars N (N from 1 to " + std::to_string(Game::kMaxCars) + ")");
    if (game.currentEvent() == nullptr) return fail(console, "sim_cars: no game is running");
    game.setCarCount(n);
    return true;
}

// Finds "car I" or "ball" at w[1..]; `next` is the index of the first word after it.
bool target(Console& console, Game& game, const Words& w, const char* cmd, Car*& car, Ball*& ball,
            std::size_t& next) {
    car = nullptr;
    ball = nullptr;
    if (game.currentEvent() == nullptr)
        return fail(console, std::string(cmd) + ": no game is running");
    if (w.size() >= 2 && w[1] == "ball") {
        ball = game.ball();
        next = 2;
        return ball != nullptr || fail(console, std::string(cmd) + ": the game has no ball");
    }
    int index = 0;
    // Any car number is taken: one the game does not have is named as such.
    if (w.size() >= 3 && w[1] == "car" && parseWhole(w[2], 0, INT_MAX, index)) {
        car = game.car(index);
        next = 3;
        return car != nullptr || fail(console, std::string(cmd) + ": no car " + w[2] +
                                                   " (the game has " +
                                                   std::to_string(game.carCount()) + ")");
    }
    return fail(console, std::string(cmd) + ": expected 'car I' or 'ball'");
}

bool simSet(Console& console, Game& game, const Words& w) {
    Car* car = nullptr;
    Ball* ball = nullptr;
    std::size_t next = 0;
    if (!target(console, game, w, "sim_set", car, ball, next)) return false;
    if (w.size() < next + 2)
        return fail(console, "usage: sim_set car I FIELD V... | sim_set ball FIELD V...");
    const std::span<const std::string> values(w.data() + next + 1, w.size() - next - 1);
    std::string error;
    const bool ok = car != nullptr ? setCarField(*car, w[next], values, error)
                                   : setBallField(*ball, w[next], values, error);
    return ok || fail(console, "sim_set: " + error);
}

bool simState(Console& console, Game& game, const Words& w) {
    std::vector<std::string> lines;
    if (w.size() == 1) {
        if (game.currentEvent() == nullptr) return fail(console, "sim_state: no game is running");
        for (int i = 0; i < game.carCount(); ++i)
            printCar(*game.car(i), "car" + std::to_string(i), lines);
        if (Ball* b = game.ball()) printBall(*b, "ball", lines);
    } else {
        Car* car = nullptr;
        Ball* ball = nullptr;
        std::size_t next = 0;
        if (!target(console, game, w, "sim_state", car, ball, next)) return false;
        if (w.size() != next) return fail(console, "usage: sim_state [car I | ball]");
        if (car != nullptr)
            printCar(*car, "car" + std::to_string(car->index), lines);
        else
            printBall(*ball, "ball", lines);
    }
    for (const std::string& line : lines) console.out(line);
    return true;
}

bool simHooks(Console& console, Game& game, const Words& w) {
    if (w.size() != 1) return fail(console, "usage: sim_hooks");
    for (const auto& [name, count] : game.hookSummary())
        console.out(name + " x" + std::to_string(count));
    return true;
}

}  // namespace

void registerSimCommands(Console& console, Game& game) {
    game.setErrorSink([&console](const std::string& m) { console.err(m); });
    struct Entry {
        const char* name;
        const char* help;
        bool (*fn)(Console&, Game&, const Words&);
    };
    static const Entry kEntries[] = {
        {"sim_mode", "sim_mode menu|freeplay|training|exhibition|online: change the game mode",
         simMode},
        {"sim_event", "sim_event NAME: fire a game event", simEvent},
        {"sim_tick", "sim_tick [N]: advance N physics ticks of 1/120 s", simTick},
        {"sim_input", "sim_input NAME VALUE...: set the local car's input", simInput},
        {"sim_cars", "sim_cars N: give the game N cars", simCars},
        {"sim_set", "sim_set car I FIELD V... | sim_set ball FIELD V...: set a simulated value",
         simSet},
        {"sim_state", "sim_state [car I | ball]: print the simulated state", simState},
        {"sim_hooks", "sim_hooks: list the hooked events with their callback counts", simHooks},
    };
    for (const Entry& e : kEntries) {
        console.addHostCommand(e.name, e.help, [&console, &game, fn = e.fn](const Words& words) {
            return fn(console, game, words);
        });
    }
}

}  // namespace host
