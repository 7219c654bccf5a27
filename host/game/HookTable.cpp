// Placing, removing and running event hooks.
#include "HookTable.h"

#include <algorithm>

#include "common/CatchAll.h"

namespace host {

bool callerAccepts(CallerKind expected, CallerKind actual) {
    if (actual == CallerKind::None) return false;
    return expected == actual || expected == CallerKind::Actor;
}

int HookList::count() const {
    return static_cast<int>(std::count_if(hooks.begin(), hooks.end(),
                                          [](const auto& h) { return !h->removed; }));
}

HookList& HookTable::list(std::string_view name) {
    auto it = lists_.find(name);
    if (it == lists_.end()) {
        it = lists_.emplace(std::string(name), HookList{}).first;
        it->second.name = it->first;
    }
    return it->second;
}

const HookList* HookTable::find(std::string_view name) const {
    auto it = lists_.find(name);
    return it == lists_.end() ? nullptr : &it->second;
}

void HookTable::add(std::string_view name, std::unique_ptr<Hook> hook) {
    HookList& l = list(name);
    const bool post = hook->post;
    l.hooks.push_back(std::move(hook));
    if (post) ++l.posts;
}

void HookTable::compact(HookList& list) {
    if (list.dispatching > 0 || !list.hasRemoved) return;
    std::erase_if(list.hooks, [](const auto& h) { return h->removed; });
    list.posts = static_cast<std::size_t>(
        std::count_if(list.hooks.begin(), list.hooks.end(), [](const auto& h) { return h->post; }));
    list.hasRemoved = false;
}

void HookTable::remove(std::string_view name, const PluginContext* owner, bool post) {
    auto it = lists_.find(name);
    if (it == lists_.end()) return;
    for (auto& h : it->second.hooks) {
        if (h->owner == owner && h->post == post && !h->removed) {
            h->removed = true;
            it->second.hasRemoved = true;
        }
    }
    compact(it->second);
}

void HookTable::removeOwner(const PluginContext* owner) {
    for (auto& [name, list] : lists_) {
        for (auto& h : list.hooks) {
            if (h->owner == owner && !h->removed) {
                h->removed = true;
                list.hasRemoved = true;
            }
        }
        compact(list);
    }
}

void HookTable::invoke(Hook& hook, const std::string& name, std::uintptr_t caller, void* params) {
    // A plug-in's exception must not unwind through the game loop.
    catchAll(
        [&] {
            if (hook.callerType == CallerKind::None)
                hook.plain(name);
            else
                hook.withCaller(caller, params, name);
        },
        [&] { return "hook on " + name; }, onError_);
}

template <typename Body>
void HookTable::dispatch(HookList& list, Body body) {
    struct Depth {
        HookTable& table;
        HookList& list;
        explicit Depth(HookTable& t, HookList& l) : table(t), list(l) { ++list.dispatching; }
        ~Depth() {
            --list.dispatching;
            table.compact(list);
        }
    } depth(*this, list);
    // Hooks placed by a callback of this dispatch wait for the next one.
    const std::size_t n = list.hooks.size();
    // All pre or all post (the tick's usual case): placement order is the order to run them in.
    if (list.posts == 0 || list.posts == n) {
        for (std::size_t i = 0; i < n; ++i) {
            Hook& h = *list.hooks[i];
            if (!h.removed) body(h);
        }
        return;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < n; ++i) {
            Hook& h = *list.hooks[i];
            if (!h.removed && h.post == (pass == 1)) body(h);
        }
    }
}

void HookTable::fire(HookList& list, Caller caller, void* params) {
    if (list.hooks.empty()) return;
    dispatch(list, [&](Hook& h) {
        const std::uintptr_t address = callerAccepts(h.callerType, caller.kind) ? caller.address : 0;
        invoke(h, list.name, address, params);
    });
}

void HookTable::fireEach(HookList& list, const CallerSource& source) {
    if (list.hooks.empty()) return;
    std::vector<std::uintptr_t> callers;
    dispatch(list, [&](Hook& h) {
        if (h.callerType == CallerKind::None) {
            invoke(h, list.name, 0, nullptr);
            return;
        }
        callers.clear();
        source(h.callerType, callers);
        for (std::uintptr_t c : callers) {
            if (h.removed) break;
            invoke(h, list.name, c, nullptr);
        }
    });
}

std::vector<std::pair<std::string, int>> HookTable::summary() const {
    std::vector<std::pair<std::string, int>> out;
    for (const auto& [name, list] : lists_) {
        const int n = list.count();
        if (n > 0) out.emplace_back(name, n);
    }
    return out;
}

}  // namespace host
