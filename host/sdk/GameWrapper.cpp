// GameWrapper's game queries, hooks, drawables and deferred calls, on the plug-in's simulated game.
#include "bakkesmod/wrappers/GameWrapper.h"

#include "console/Console.h"
#include "game/Game.h"
#include "sdk/PluginContext.h"

using host::contextAt;
using host::gameAt;

namespace {

// The kind of caller a hook of wrapper type T is handed.
template <typename T>
constexpr host::CallerKind callerKindOf() {
    using host::CallerKind;
    if constexpr (std::is_same_v<T, CarWrapper>) return CallerKind::Car;
    else if constexpr (std::is_same_v<T, BallWrapper>) return CallerKind::Ball;
    else if constexpr (std::is_same_v<T, ServerWrapper>) return CallerKind::Server;
    else if constexpr (std::is_same_v<T, CarComponentWrapper>) return CallerKind::CarComponent;
    else {
        static_assert(std::is_same_v<T, ActorWrapper>, "no hook hands callers of this type");
        return CallerKind::Actor;
    }
}

void hook(std::uintptr_t address, const std::string& eventName,
          std::function<void(std::string)>&& callback, bool post) {
    if (host::Game* g = gameAt(address))
        g->hookEvent(contextAt(address), eventName, std::move(callback), post);
}

void unhook(std::uintptr_t address, const std::string& eventName, bool post) {
    if (host::Game* g = gameAt(address)) g->unhookEvent(contextAt(address), eventName, post);
}

template <typename T>
void hookWithCaller(std::uintptr_t address, std::string& eventName,
                    std::function<void(T, void*, std::string)>& callback, bool post) {
    host::Game* game = gameAt(address);
    if (game == nullptr || !callback) return;
    using Callback = std::function<void(T, void*, std::string)>;
    host::CallerHookFn fn{std::make_shared<Callback>(std::move(callback)),
                          [](void* target, std::uintptr_t caller, void* params,
                             const std::string& name) {
                              (*static_cast<Callback*>(target))(T(caller), params, name);
                          }};
    game->hookEventWithCaller(contextAt(address), eventName, callerKindOf<T>(), std::move(fn),
                              post);
}

// One of the game's yes/no questions; no for a handle without a game.
bool ask(std::uintptr_t address, bool (host::Game::*question)() const) {
    host::Game* g = gameAt(address);
    return g != nullptr && (g->*question)();
}

// The handle of the game event the game's getter gives, null without a game or event.
ServerWrapper serverOf(std::uintptr_t address, host::GameEvent* (host::Game::*getter)()) {
    host::Game* g = gameAt(address);
    host::GameEvent* ev = g != nullptr ? (g->*getter)() : nullptr;
    return ServerWrapper(ev != nullptr ? host::actorAddress(ev) : 0);
}

}  // namespace

bool GameWrapper::IsInGame() { return ask(memory_address, &host::Game::isInGame); }
bool GameWrapper::IsInOnlineGame() { return ask(memory_address, &host::Game::isInOnlineGame); }
bool GameWrapper::IsInFreeplay() { return ask(memory_address, &host::Game::isInFreeplay); }
bool GameWrapper::IsInReplay() { return false; }
bool GameWrapper::IsInCustomTraining() {
    return ask(memory_address, &host::Game::isInCustomTraining);
}
bool GameWrapper::IsPaused() { return false; }

CarWrapper GameWrapper::GetLocalCar() {
    host::Game* g = gameAt(memory_address);
    host::Car* car = g != nullptr ? g->localCar() : nullptr;
    return CarWrapper(car != nullptr ? host::actorAddress(car) : 0);
}

ServerWrapper GameWrapper::GetGameEventAsServer() {
    return serverOf(memory_address, &host::Game::serverEvent);
}

ServerWrapper GameWrapper::GetCurrentGameState() {
    return serverOf(memory_address, &host::Game::currentEvent);
}

void GameWrapper::HookEvent(std::string eventName, std::function<void(std::string)> callback) {
    hook(memory_address, eventName, std::move(callback), false);
}

void GameWrapper::UnhookEvent(std::string eventName) { unhook(memory_address, eventName, false); }

void GameWrapper::HookEventPost(std::string eventName, std::function<void(std::string)> callback) {
    hook(memory_address, eventName, std::move(callback), true);
}

void GameWrapper::UnhookEventPost(std::string eventName) {
    unhook(memory_address, eventName, true);
}

template <typename T, typename std::enable_if<std::is_base_of<ObjectWrapper, T>::value>::type*>
void GameWrapper::HookEventWithCaller(std::string eventName,
                                      std::function<void(T, void*, std::string)> callback) {
    hookWithCaller<T>(memory_address, eventName, callback, false);
}

template <typename T, typename std::enable_if<std::is_base_of<ObjectWrapper, T>::value>::type*>
void GameWrapper::HookEventWithCallerPost(std::string eventName,
                                          std::function<void(T, void*, std::string)> callback) {
    hookWithCaller<T>(memory_address, eventName, callback, true);
}

WL_CALLER_HOOKS(template)

void GameWrapper::RegisterDrawable(std::function<void(CanvasWrapper)> callback) {
    if (host::Game* g = gameAt(memory_address))
        g->registerDrawable(contextAt(memory_address), std::move(callback));
}

void GameWrapper::UnregisterDrawables() {
    if (host::Game* g = gameAt(memory_address)) g->unregisterDrawables(contextAt(memory_address));
}

// The simulated game has one thread, so "run on the game thread" means now.
void GameWrapper::Execute(std::function<void(GameWrapper*)> theLambda) {
    if (memory_address != 0 && theLambda) theLambda(this);
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> theLambda, float time) {
    host::Game* g = gameAt(memory_address);
    if (g == nullptr || !theLambda) return;
    g->setTimeout(contextAt(memory_address), time,
                  [self = *this, fn = std::move(theLambda)]() mutable { fn(&self); });
}

// The chat box is not part of the console's output; it shows as a diagnostic.
void GameWrapper::LogToChatbox(std::string text, std::string sender) {
    host::PluginContext* ctx = contextAt(memory_address);
    if (ctx != nullptr && ctx->console != nullptr)
        ctx->console->err("[chat] " + sender + ": " + text);
}
