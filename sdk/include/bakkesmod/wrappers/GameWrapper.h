// Handle of the game: mode queries, the local car and game event, event hooks, drawables.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <typeindex>

#include "Engine/ObjectWrapper.h"
#include "canvaswrapper.h"
#include "wrapperstructs.h"

class CarWrapper;
class ServerWrapper;

class BAKKESMOD_PLUGIN_IMPORT GameWrapper {
public:
    GameWrapper(std::uintptr_t mem, long pluginType, std::type_index idx);
    GameWrapper(const GameWrapper& other);
    GameWrapper& operator=(GameWrapper rhs);
    ~GameWrapper();

    bool IsInGame();
    bool IsInOnlineGame();
    bool IsInFreeplay();
    bool IsInReplay();
    bool IsInCustomTraining();
    bool IsPaused();

    // Null when there is no local car.
    CarWrapper GetLocalCar();
    // Null when no game runs locally as server.
    ServerWrapper GetGameEventAsServer();
    ServerWrapper GetCurrentGameState();

    // Each call adds one more callback on the name; UnhookEvent removes this plug-in's callbacks.
    void HookEvent(std::string eventName, std::function<void(std::string eventName)> callback);
    void UnhookEvent(std::string eventName);
    void HookEventPost(std::string eventName, std::function<void(std::string eventName)> callback);
    void UnhookEventPost(std::string eventName);

    // T is not deducible from a lambda: write HookEventWithCaller<CarWrapper>(...).
    template <typename T,
              typename std::enable_if<std::is_base_of<ObjectWrapper, T>::value>::type* = nullptr>
    void HookEventWithCaller(std::string eventName,
                             std::function<void(T caller, void* params, std::string eventName)> callback);
    template <typename T,
              typename std::enable_if<std::is_base_of<ObjectWrapper, T>::value>::type* = nullptr>
    void HookEventWithCallerPost(std::string eventName,
                                 std::function<void(T caller, void* params, std::string eventName)> callback);

    // The callback runs whenever the host draws a frame.
    void RegisterDrawable(std::function<void(CanvasWrapper)> callback);
    void UnregisterDrawables();

    void Execute(std::function<void(GameWrapper*)> theLambda);
    void SetTimeout(std::function<void(GameWrapper*)> theLambda, float time);
    void LogToChatbox(std::string text, std::string sender = "BAKKESMOD");

    std::uintptr_t memory_address;

private:
    long pluginType_;
    std::type_index pluginIdx_;
};

// The wrapper classes, needed complete by the caller-hook instantiations below.
#include "includes.h"

// The caller hooks that exist, one instantiation each: any other T does not link. Declared
// here with `extern template`; the host defines them with `template`.
#define WL_CALLER_HOOK(kind, method, T) \
    kind void GameWrapper::method<T>(std::string, std::function<void(T, void*, std::string)>);
#define WL_CALLER_HOOKS(kind)                                                                      \
    WL_CALLER_HOOK(kind, HookEventWithCaller, CarWrapper)                                          \
    WL_CALLER_HOOK(kind, HookEventWithCaller, BallWrapper)                                         \
    WL_CALLER_HOOK(kind, HookEventWithCaller, ActorWrapper)                                        \
    WL_CALLER_HOOK(kind, HookEventWithCaller, ServerWrapper)                                       \
    WL_CALLER_HOOK(kind, HookEventWithCaller, CarComponentWrapper)                                 \
    WL_CALLER_HOOK(kind, HookEventWithCallerPost, CarWrapper)

WL_CALLER_HOOKS(extern template)
