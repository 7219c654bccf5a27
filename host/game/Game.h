// The simulated game: its mode, the running game's cars and ball, the tick, hooks and drawables.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GameEvents.h"
#include "GameObjects.h"
#include "HookTable.h"
#include "ObjectPool.h"
#include "bakkesmod/wrappers/canvaswrapper.h"

namespace host {

struct PluginContext;

class Game {
public:
    using ErrorSink = std::function<void(const std::string&)>;
    using DrawableFn = std::function<void(CanvasWrapper)>;

    Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;
    ~Game();

    // Where the game's diagnostics go (one line each, no line end); standard error by default.
    void setErrorSink(ErrorSink sink);
    void reportError(const std::string& message);
    // For a wrapper call that writes game state: false when the value is finite, else true after
    // reporting "CALL: ignored a non-finite value". Inline: every setter of the per-tick path
    // passes through it, and only the refusal needs the call.
    bool refusedNonFinite(bool finite, const char* call) {
        if (finite) return false;
        reportNonFinite(call);
        return true;
    }

    // --- Modes ---
    Mode mode() const { return mode_; }
    // Leaves the current mode (its end events fire while its game still exists), then builds
    // the new game and fires its start events. Entering the current mode again starts afresh.
    void setMode(Mode mode);
    // A local game run as server: freeplay, training, exhibition.
    bool isInGame() const;
    bool isInOnlineGame() const { return mode_ == Mode::Online; }
    bool isInFreeplay() const { return mode_ == Mode::Freeplay; }
    bool isInCustomTraining() const { return mode_ == Mode::Training; }

    // The running game (null at the menu) and the same when it runs locally as server.
    GameEvent* currentEvent() { return event_; }
    GameEvent* serverEvent() { return event_ != nullptr && event_->isServer ? event_ : nullptr; }
    // Car 0 of the running game: the local car and the server's game car. Null at the menu.
    Car* localCar() { return car(0); }
    Car* car(int index);
    int carCount() const;
    // Gives the running game `count` cars (1 .. kMaxCars); new ones rest on the floor beside car
    // 0. False, changing nothing, at the menu or for a count out of range.
    bool setCarCount(int count);
    Ball* ball();

    static constexpr int kMaxCars = 8;

    // The local player's input; the local car acts on it from the next tick.
    ControllerInput& localInput() { return localInput_; }

    // --- Time ---
    // Advances `count` ticks of 1/120 s: for each car, "Function TAGame.Car_TA.SetVehicleInput"
    // fires with that car, then the car moves; then the balls move; then due timeouts run.
    void tick(int count = 1);
    double time() const { return time_; }

    // --- Hooks ---
    void hookEvent(const PluginContext* owner, std::string_view name, PlainHookFn fn, bool post);
    void hookEventWithCaller(const PluginContext* owner, std::string_view name, CallerKind type,
                             CallerHookFn fn, bool post);
    // Removes every callback the owner placed on the name (pre or post ones).
    void unhookEvent(const PluginContext* owner, std::string_view name, bool post);
    // Fires an event as the console's sim_event does: plain hooks once; caller hooks once per
    // object of their type in the running game (cars, balls, the server event for ServerWrapper,
    // the game event for ActorWrapper).
    void fireEvent(std::string_view name);
    // Live callbacks on the name.
    int hookCount(std::string_view name) const;
    // Each hooked name with its count of callbacks, in name order.
    std::vector<std::pair<std::string, int>> hookSummary() const { return hooks_.summary(); }

    // --- Drawables ---
    void registerDrawable(const PluginContext* owner, DrawableFn fn);
    void unregisterDrawables(const PluginContext* owner);
    int drawableCount() const;
    // Calls `draw` with each registered drawable in registration order. A drawable may register
    // or unregister drawables meanwhile; one that throws is reported and skipped.
    void runDrawables(const std::function<void(const DrawableFn&)>& draw);

    // --- Deferred work of plug-ins ---
    // Runs fn once the game time has advanced by `seconds` (at the end of that tick).
    void setTimeout(const PluginContext* owner, float seconds, std::function<void()> fn);

    // Drops everything the plug-in placed: hooks, drawables, timeouts.
    void dropOwner(const PluginContext* owner);

private:
    void reportNonFinite(const char* call);
    struct Drawable {
        const PluginContext* owner;
        DrawableFn fn;
        bool removed = false;
    };
    struct Timeout {
        const PluginContext* owner;
        double due;
        std::function<void()> fn;
    };

    void enter(Mode mode);
    void leave();
    void fireAll(std::span<const std::string_view> names);
    Car* newCar(int index);
    // Marks a car removed and hands it to its pool.
    void retire(Car* car);
    void runTimeouts();
    void compactDrawables();

    Mode mode_ = Mode::Menu;
    GameEvent* event_ = nullptr;
    // Removed objects are marked dead and stay readable through the next kQuarantine removals
    // of their kind (a game event each mode change); later ones reuse their memory.
    static constexpr std::size_t kQuarantine = 4 * kMaxCars;
    ObjectPool<GameEvent> eventPool_{kQuarantine};
    ObjectPool<Car> carPool_{kQuarantine};
    ObjectPool<Ball> ballPool_{kQuarantine};
    ControllerInput localInput_;
    double time_ = 0.0;
    ErrorSink errorSink_;
    HookTable hooks_;
    HookList* tickHooks_;
    std::vector<std::unique_ptr<Drawable>> drawables_;
    int drawing_ = 0;
    std::vector<Timeout> timeouts_;
};

}  // namespace host
