// Event hooks of the plug-ins: callbacks per event name, each tagged with the plug-in that placed it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct PluginContext;

// The wrapper type a caller hook expects. A caller of another kind reaches it as a null handle,
// except that Actor accepts every actor.
enum class CallerKind : std::uint8_t { None, Actor, Car, Ball, Server, CarComponent };

struct Caller {
    CallerKind kind = CallerKind::None;
    std::uintptr_t address = 0;
};

using PlainHookFn = std::function<void(std::string)>;

// A caller hook's callback: the plug-in's own function object, run through one plain function
// that hands it the caller as the wrapper it expects. The tick's hook is called once per car
// and tick, so no second type-erased layer sits between the dispatch and the plug-in.
struct CallerHookFn {
    using Call = void (*)(void* target, std::uintptr_t caller, void* params,
                          const std::string& name);
    std::shared_ptr<void> target;
    Call call = nullptr;
    explicit operator bool() const { return call != nullptr && target != nullptr; }
    void operator()(std::uintptr_t caller, void* params, const std::string& name) const {
        call(target.get(), caller, params, name);
    }
};

struct Hook {
    const PluginContext* owner = nullptr;
    bool post = false;
    CallerKind callerType = CallerKind::None;  // None: a plain hook (name only)
    PlainHookFn plain;
    CallerHookFn withCaller;
    bool removed = false;
};

// The callbacks placed on one event name, in the order placed. Hooks are kept behind pointers
// and only marked while a dispatch runs, so a callback may add or remove hooks (itself
// included) without pulling the running callback from under it.
struct HookList {
    std::string name;
    std::vector<std::unique_ptr<Hook>> hooks;
    int dispatching = 0;
    bool hasRemoved = false;
    // Post hooks among `hooks`, removed ones included until they are dropped: a list of one
    // kind only is run in one pass.
    std::size_t posts = 0;
    // Live callbacks.
    int count() const;
};

class HookTable {
public:
    // Reports a callback that threw (the host keeps running).
    using ErrorSink = std::function<void(const std::string&)>;
    explicit HookTable(ErrorSink onError) : onError_(std::move(onError)) {}

    void add(std::string_view name, std::unique_ptr<Hook> hook);
    // Removes the owner's pre (post = false) or post callbacks on the name.
    void remove(std::string_view name, const PluginContext* owner, bool post);
    void removeOwner(const PluginContext* owner);

    // The list of a name, created empty when missing; its address stays valid.
    HookList& list(std::string_view name);
    const HookList* find(std::string_view name) const;

    // Runs every live pre hook, then every live post hook placed on `name` when the dispatch
    // began. A caller hook gets `caller` when its type accepts it, else a null handle; with
    // fireEach, caller hooks are instead given the objects of their own type, one call each.
    void fire(HookList& list, Caller caller, void* params);
    // Fills `out` with the objects a caller hook of the given type is run with.
    using CallerSource = std::function<void(CallerKind, std::vector<std::uintptr_t>& out)>;
    void fireEach(HookList& list, const CallerSource& source);

    // Each name with live callbacks, in name order, with their count.
    std::vector<std::pair<std::string, int>> summary() const;

private:
    void invoke(Hook& hook, const std::string& name, std::uintptr_t caller, void* params);
    template <typename Body>
    void dispatch(HookList& list, Body body);
    void compact(HookList& list);

    std::map<std::string, HookList, std::less<>> lists_;
    ErrorSink onError_;
};

// Whether a caller of kind `actual` reaches a hook expecting `expected` as itself.
bool callerAccepts(CallerKind expected, CallerKind actual);

}  // namespace host
