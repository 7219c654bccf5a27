// GameWrapper's game queries, hooks, drawables and deferred calls, on the plug-in's simulated game.
#include "bakkesmod/wrappers/GameWrapper.h"

#include "console/Console.h"
#include "game/Game.h"
#include "sdk/PluginContext.h"

namespace {

host::PluginContext* contextOf(std::uintptr_t address) {
    return reinterpret_cast<host::PluginContext*>(address);
}

host::Game* gameOf(std::uintptr_t address) {
    host::PluginContext* ctx = contextOf(address);
    return ctx != nullptr ? ctx->game : nullptr;
}

template <typename T>
struct CallerKindOf;
template <>
struct CallerKindOf<CarWrapper> {
    static constexpr host::CallerKind value = host::CallerKind::Car;
};
template <>
struct CallerKindOf<BallWrapper> {
    static constexpr host::CallerKind value = host::CallerKind::Ball;
};
template <>
struct CallerKindOf<ActorWrapper> {
    static constexpr host::CallerKind value = host::CallerKind::Actor;
};
template <>
struct CallerKindOf<ServerWrapper> {
    static constexpr host::CallerKind value = host::CallerKind::Server;
};
template <>
struct CallerKindOf<CarComponentWrapper> {
    static constexpr host::CallerKind value = host::CallerKind::CarComponent;
};

template <typename T>
void hookWithCaller(std::uintptr_t address, std::string& eventName,
                    std::function<void(T, void*, std::string)>& callback, bool post) {
    host::Game* game = gameOf(address);
    if (game == nullptr || !callback) return;
    game->hookEventWithCaller(
        contextOf(address), eventName, CallerKindOf<T>::value,
        [cb = std::move(callback)](std::uintptr_t caller, void* params, std::string name) {
            cb(T(caller), params, std::move(name));
        },
        post);
}

}  // namespace

bool GameWrapper::IsInGame() {
    host::Game* g = gameOf(memory_address);
    return g != nullptr && g->isInGame();
}

bool GameWrapper::IsInOnlineGame() {
    host::Game* g = gameOf(memory_address);
    return g != nullptr && g->isInOnlineGame();
}

bool GameWrapper::IsInFreeplay() {
    host::Game* g = gameOf(memory_address);
    return g != nullptr && g->isInFreeplay();
}

bool GameWrapper::IsInReplay() { return false; }

bool GameWrapper::IsInCustomTraining() {
    host::Game* g = gameOf(memory_address);
    return g != nullptr && g->isInCustomTraining();
}

bool GameWrapper::IsPaused() { return false; }

CarWrapper GameWrapper::GetLocalCar() {
    host::Game* g = gameOf(memory_address);
    host::Car* car = g != nullptr ? g->localCar() : nullptr;
    return CarWrapper(car != nullptr ? host::actorAddress(car) : 0);
}

ServerWrapper GameWrapper::GetGameEventAsServer() {
    host::Game* g = gameOf(memory_address);
    host::GameEvent* ev = g != nullptr ? g->serverEvent() : nullptr;
    return ServerWrapper(ev != nullptr ? host::actorAddress(ev) : 0);
}

ServerWrapper GameWrapper::GetCurrentGameState() {
    host::Game* g = gameOf(memory_address);
    host::GameEvent* ev = g != nullptr ? g->currentEvent() : nullptr;
    return ServerWrapper(ev != nullptr ? host::actorAddress(ev) : 0);
}

void GameWrapper::HookEvent(std::string eventName, std::function<void(std::string)> callback) {
    if (host::Game* g = gameOf(memory_address))
        g->hookEvent(contextOf(memory_address), eventName, std::move(callback), false);
}

void GameWrapper::UnhookEvent(std::string eventName) {
    if (host::Game* g = gameOf(memory_address))
        g->unhookEvent(contextOf(memory_address), eventName, false);
}

void GameWrapper::HookEventPost(std::string eventName, std::function<void(std::string)> callback) {
    if (host::Game* g = gameOf(memory_address))
        g->hookEvent(contextOf(memory_address), eventName, std::move(callback), true);
}

void GameWrapper::UnhookEventPost(std::string eventName) {
    if (host::Game* g = gameOf(memory_address))
        g->unhookEvent(contextOf(memory_address), eventName, true);
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

template void GameWrapper::HookEventWithCaller<CarWrapper>(
    std::string, std::function<void(CarWrapper, void*, std::string)>);
template void GameWrapper::HookEventWithCaller<BallWrapper>(
    std::string, std::function<void(BallWrapper, void*, std::string)>);
template void GameWrapper::HookEventWithCaller<ActorWrapper>(
    std::string, std::function<void(ActorWrapper, void*, std::string)>);
template void GameWrapper::HookEventWithCaller<ServerWrapper>(
    std::string, std::function<void(ServerWrapper, void*, std::string)>);
template void GameWrapper::HookEventWithCaller<CarComponentWrapper>(
    std::string, std::function<void(CarComponentWrapper, void*, std::string)>);
template void GameWrapper::HookEventWithCallerPost<CarWrapper>(
    std::string, std::function<void(CarWrapper, void*, std::string)>);

void GameWrapper::RegisterDrawable(std::function<void(CanvasWrapper)> callback) {
    if (host::Game* g = gameOf(memory_address))
        g->registerDrawable(contextOf(memory_address), std::move(callback));
}

void GameWrapper::UnregisterDrawables() {
    if (host::Game* g = gameOf(memory_address)) g->unregisterDrawables(contextOf(memory_address));
}

// The simulated game has one thread, so "run on the game thread" means now.
void GameWrapper::Execute(std::function<void(GameWrapper*)> theLambda) {
    if (memory_address != 0 && theLambda) theLambda(this);
}

void GameWrapper::SetTimeout(std::function<void(GameWrapper*)> theLambda, float time) {
    host::Game* g = gameOf(memory_address);
    if (g == nullptr || !theLambda) return;
    g->setTimeout(contextOf(memory_address), time,
                  [self = *this, fn = std::move(theLambda)]() mutable { fn(&self); });
}

// The chat box is not part of the console's output; it shows as a diagnostic.
void GameWrapper::LogToChatbox(std::string text, std::string sender) {
    host::PluginContext* ctx = contextOf(memory_address);
    if (ctx != nullptr && ctx->console != nullptr) ctx->console->err("[chat] " + sender + ": " + text);
}
