// Activation under random event orders: after every event the tick hook is installed exactly
// once in freeplay while wl_enabled is on and no restart has paused the model, and not at all
// otherwise.
#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "wltest/PluginHarness.h"
#include "core/GameEvents.h"

namespace {

// What a user and the game may do, in any order.
enum class Event { EnterMode, ModeStart, Restart, Resume, SwitchOn, SwitchOff, LoadOrUnload };
constexpr int kEventKinds = 7;

const host::Mode kModes[] = {host::Mode::Menu, host::Mode::Freeplay, host::Mode::Training,
                             host::Mode::Exhibition, host::Mode::Online};

// The expected activation state, kept apart from the plug-in's own.
struct Reference {
    host::Mode mode = host::Mode::Menu;
    bool loaded = true;
    bool switchedOn = false;
    bool paused = false;

    bool modelOn() const { return loaded && switchedOn && !paused; }
    int tickHooks() const { return modelOn() && mode == host::Mode::Freeplay ? 1 : 0; }
};

std::vector<const char*> hookedNames(events::Role role) {
    std::vector<const char*> names;
    for (const events::GameEvent& e : events::kHooked)
        if (e.role == role) names.push_back(e.name);
    return names;
}

TEST(ActivationProperty, HookFollowsTheStateAfterAnyOrderOfEvents) {
    const std::vector<const char*> starts = hookedNames(events::Role::ModeStart);
    const char* const restart = hookedNames(events::Role::Suspend).at(0);
    const char* const resume = hookedNames(events::Role::Resume).at(0);
    std::mt19937 rng(20261207);
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };

    // One host for all sequences; each starts at the menu with the plug-in loaded and off.
    // Loading is the costly event, so it comes now and then rather than every sequence.
    wltest::PluginHarness h;
    constexpr int kSequences = 10000;
    constexpr int kMaxLength = 24;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        if (!h.plugin) h.load();
        h.game.setMode(host::Mode::Menu);
        ASSERT_TRUE(h.run("wl_enabled 0"));
        Reference ref;
        std::string trace;
        const int length = 1 + pick(kMaxLength);
        for (int step = 0; step < length; ++step) {
            const auto event =
                pick(400) == 0 ? Event::LoadOrUnload : static_cast<Event>(pick(kEventKinds - 1));
            switch (event) {
                case Event::EnterMode:
                    ref.mode = kModes[pick(static_cast<int>(std::size(kModes)))];
                    h.game.setMode(ref.mode);
                    trace += " mode" + std::string(host::modeName(ref.mode));
                    break;
                case Event::ModeStart:
                    h.game.fireEvent(starts[static_cast<std::size_t>(
                        pick(static_cast<int>(starts.size())))]);
                    trace += " start";
                    break;
                case Event::Restart:
                    h.game.fireEvent(restart);
                    if (ref.modelOn()) ref.paused = true;
                    trace += " restart";
                    break;
                case Event::Resume:
                    h.game.fireEvent(resume);
                    if (ref.loaded) ref.paused = false;
                    trace += " resume";
                    break;
                case Event::SwitchOn:
                case Event::SwitchOff: {
                    if (!ref.loaded) continue;
                    const bool on = event == Event::SwitchOn;
                    ASSERT_TRUE(h.run(on ? "wl_enabled 1" : "wl_enabled 0"));
                    ref.switchedOn = on;
                    ref.paused = false;
                    trace += on ? " on" : " off";
                    break;
                }
                case Event::LoadOrUnload:
                    if (ref.loaded) {
                        h.unload();
                        trace += " unload";
                    } else {
                        h.load();
                        ref.switchedOn = ref.paused = false;
                        trace += " load";
                    }
                    ref.loaded = !ref.loaded;
                    break;
            }
            ASSERT_EQ(h.game.hookCount(events::kTick), ref.tickHooks()) << trace;
            if (ref.loaded) {
                ASSERT_EQ(*h.plugin->enabled, ref.modelOn()) << trace;
            }
        }
    }
}

}  // namespace
