// Activation: the wl_enabled handler, the mode and restart hooks, and the stock-value restore.
#include "core/Activation.h"

#include <string>
#include <string_view>
#include <utility>

#include "aero/ModelConstants.h"
#include "core/GameEvents.h"
#include "core/wingleaf.h"
#include "guard/CallbackGuard.h"

namespace {

// A failure becomes one console line and the callback ends.
template <typename Body>
void atHookEdge(wingleaf& plugin, std::string_view eventName, Body&& body) noexcept {
    guardCallback(body, [&](const char* what) {
        if (plugin.cvarManager)
            plugin.cvarManager->log(std::string(eventName) + ": hook failed: " + failureText(what));
    });
}

// The host adds one callback per hook request, so the name is cleared first: however often
// this runs, the model runs once per tick. It runs only from the wl_enabled handler and the
// mode-event hooks, never from a tick callback, so the host is never walking the tick name's
// callbacks while they are replaced.
void installTickHook(wingleaf& plugin) {
    plugin.gameWrapper->UnhookEvent(events::kTick);
    plugin.gameWrapper->HookEventWithCaller<CarWrapper>(
        events::kTick, [&plugin](CarWrapper car, void* params, std::string eventName) {
            atHookEdge(plugin, events::kTick, [&] {
                plugin.applyAerodynamics(std::move(car), params, std::move(eventName));
            });
        });
}

void removeTickHook(wingleaf& plugin) { plugin.gameWrapper->UnhookEvent(events::kTick); }

// The one rule every activation event ends with: the tick hook is installed exactly while the
// game is in freeplay and the model is switched on and not paused (the enabled cell); otherwise
// it is removed. Deciding from the present state rather than from the event alone keeps the
// rule whatever order the events come in.
void syncTickHook(wingleaf& plugin) {
    if (plugin.enabled && *plugin.enabled && plugin.gameWrapper->IsInFreeplay()) {
        installTickHook(plugin);
    } else {
        removeTickHook(plugin);
    }
}

}  // namespace

void restoreStockValues(CarWrapper car) {
    if (car.IsNull()) return;
    car.SetMaxLinearSpeed(stock::kMaxLinearSpeedUu);
    car.SetMaxLinearSpeed2(stock::kMaxLinearSpeedUu);
    car.GetBoostComponent().SetBoostForce(stock::kBoostForce);
    AirControlComponentWrapper airControl = car.GetAirControlComponent();
    airControl.SetThrottleForce(stock::kAirThrottleForce);
    airControl.SetAirTorque(stock::airTorque());
    // A fast tick on the ground leaves the sticky force released; the stock car has it on.
    car.SetStickyForce(stock::stickyForce());
}

void hookGameEvents(wingleaf& plugin) {
    for (const events::GameEvent& event : events::kHooked) {
        void (wingleaf::*handler)(std::string) = nullptr;
        switch (event.role) {
            case events::Role::ModeStart: handler = &wingleaf::onModeStart; break;
            case events::Role::ModeEnd: handler = &wingleaf::onModeEnd; break;
            case events::Role::Suspend: handler = &wingleaf::onSuspend; break;
            case events::Role::Resume: handler = &wingleaf::onResume; break;
        }
        plugin.gameWrapper->HookEvent(event.name, [&plugin, handler](std::string eventName) {
            atHookEdge(plugin, eventName, [&] { (plugin.*handler)(eventName); });
        });
    }
}

// Failures are caught by the handler wrapper that settings registration installs.
void wingleaf::onEnabledChange(std::string /*oldValue*/, CVarWrapper cvar) {
    // All three queries run, in this order, whatever the first answers.
    const bool inTraining = gameWrapper->IsInCustomTraining();
    const bool inFreeplay = gameWrapper->IsInFreeplay();
    const bool inGame = gameWrapper->IsInGame();
    const bool inMode = inTraining || inFreeplay || inGame;
    const bool on = cvar.getBoolValue();
    // The user's switch is the latest word: it ends a pause left by a player restart, and the
    // cell follows it whether the host writes the cell before or after this handler.
    suspended = false;
    if (enabled) *enabled = on;
    syncTickHook(*this);
    if (!on && inMode) restoreStockValues(gameWrapper->GetLocalCar());
}

void wingleaf::onModeStart(std::string /*eventName*/) { syncTickHook(*this); }

// The game still reports the mode it is leaving while its end events run.
void wingleaf::onModeEnd(std::string /*eventName*/) { removeTickHook(*this); }

// The pause takes the hook away with the cell; the resume brings both back.
void wingleaf::onSuspend(std::string /*eventName*/) {
    if (enabled && *enabled) {
        suspended = true;
        *enabled = false;
        syncTickHook(*this);
    }
}

void wingleaf::onResume(std::string /*eventName*/) {
    if (!suspended) return;
    suspended = false;
    if (enabled) *enabled = true;
    syncTickHook(*this);
}
