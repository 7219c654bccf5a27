// The simulated game: modes with their events, the running game's objects, ticks and plug-in hooks.
#include "Game.h"

#include <algorithm>
#include <iostream>

#include "Physics.h"
#include "common/CatchAll.h"

namespace host {

Game::Game()
    : errorSink_([](const std::string& m) { std::cerr << m << '\n'; }),
      hooks_([this](const std::string& m) { reportError(m); }),
      tickHooks_(&hooks_.list(events::kSetVehicleInput)) {}

Game::~Game() = default;

void Game::setErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

void Game::reportError(const std::string& message) {
    if (errorSink_) errorSink_(message);
}

void Game::reportNonFinite(const char* call) {
    reportError(std::string(call) + ": ignored a non-finite value");
}

bool Game::isInGame() const {
    return mode_ == Mode::Freeplay || mode_ == Mode::Training || mode_ == Mode::Exhibition;
}

// --- Modes ---

void Game::setMode(Mode mode) {
    leave();
    enter(mode);
}

void Game::fireAll(std::span<const std::string_view> names) {
    for (std::string_view name : names) fireEvent(name);
}

void Game::leave() {
    fireAll(endEvents(mode_));
    if (event_ != nullptr) {
        for (Car* c : event_->cars) retire(c);
        for (Ball* b : event_->balls) {
            b->alive = false;
            ballPool_.retire(b);
        }
        event_->cars.clear();
        event_->balls.clear();
        event_->alive = false;
        eventPool_.retire(event_);
        event_ = nullptr;
    }
    mode_ = Mode::Menu;
}

void Game::enter(Mode mode) {
    mode_ = mode;
    if (mode != Mode::Menu) {
        event_ = eventPool_.make(this);
        event_->isServer = mode != Mode::Online;
        event_->cars.push_back(newCar(0));
        event_->balls.push_back(ballPool_.make(this));
    }
    fireAll(startEvents(mode));
}

Car* Game::newCar(int index) {
    Car* c = carPool_.make(this);
    c->index = index;
    c->resetToStock(Vector(0.0f, phys::kExtraCarSpacingUu * static_cast<float>(index),
                           phys::kCarRestHeightUu));
    return c;
}

Car* Game::car(int index) {
    if (event_ == nullptr || index < 0 || index >= static_cast<int>(event_->cars.size()))
        return nullptr;
    return event_->cars[static_cast<std::size_t>(index)];
}

int Game::carCount() const {
    return event_ == nullptr ? 0 : static_cast<int>(event_->cars.size());
}

bool Game::setCarCount(int count) {
    if (event_ == nullptr || count < 1 || count > kMaxCars) return false;
    while (carCount() > count) {
        retire(event_->cars.back());
        event_->cars.pop_back();
    }
    while (carCount() < count) event_->cars.push_back(newCar(carCount()));
    return true;
}

void Game::retire(Car* car) {
    car->alive = false;
    carPool_.retire(car);
}

Ball* Game::ball() {
    return event_ == nullptr || event_->balls.empty() ? nullptr : event_->balls.front();
}

// --- Time ---

void Game::tick(int count) {
    for (int n = 0; n < count; ++n) {
        time_ += phys::kTickSeconds;
        GameEvent* ev = event_;
        if (ev != nullptr) {
            if (!ev->cars.empty()) ev->cars.front()->input = localInput_;
            // A hook may run console lines that change the game, so every step re-checks.
            for (std::size_t i = 0; ev->alive && i < ev->cars.size(); ++i) {
                Car* c = ev->cars[i];
                hooks_.fire(*tickHooks_, Caller{CallerKind::Car, actorAddress(c)}, &c->input);
                if (!c->alive) continue;
                if (!phys::stepCar(*c, phys::kTickSeconds))
                    reportError("car" + std::to_string(c->index) +
                                " kept its state: the tick produced a non-finite value");
                c->rb.Time = static_cast<float>(time_);
            }
            for (std::size_t i = 0; ev->alive && i < ev->balls.size(); ++i) {
                Ball* b = ev->balls[i];
                if (!phys::stepBall(*b, phys::kTickSeconds))
                    reportError("ball kept its state: the tick produced a non-finite value");
                b->rb.Time = static_cast<float>(time_);
            }
        }
        // Checked here: the call itself costs more than the usual empty list.
        if (!timeouts_.empty()) runTimeouts();
    }
}

void Game::runTimeouts() {
    // Take the due ones out first: a timeout may set another one.
    std::vector<Timeout> due;
    auto split = std::stable_partition(timeouts_.begin(), timeouts_.end(),
                                       [this](const Timeout& t) { return t.due > time_ + 1e-9; });
    std::move(split, timeouts_.end(), std::back_inserter(due));
    timeouts_.erase(split, timeouts_.end());
    const auto report = [this](const std::string& line) { reportError(line); };
    for (Timeout& t : due) catchAll(t.fn, [] { return "timeout"; }, report);
}

void Game::setTimeout(const PluginContext* owner, float seconds, std::function<void()> fn) {
    if (!phys::isFinite(seconds)) {
        reportError("SetTimeout: ignored a non-finite delay");
        return;
    }
    timeouts_.push_back(Timeout{owner, time_ + std::max(0.0f, seconds), std::move(fn)});
}

// --- Hooks ---

void Game::hookEvent(const PluginContext* owner, std::string_view name, PlainHookFn fn,
                     bool post) {
    if (!fn) return;
    auto h = std::make_unique<Hook>();
    h->owner = owner;
    h->post = post;
    h->plain = std::move(fn);
    hooks_.add(name, std::move(h));
}

void Game::hookEventWithCaller(const PluginContext* owner, std::string_view name, CallerKind type,
                               CallerHookFn fn, bool post) {
    if (!fn || type == CallerKind::None) return;
    auto h = std::make_unique<Hook>();
    h->owner = owner;
    h->post = post;
    h->callerType = type;
    h->withCaller = std::move(fn);
    hooks_.add(name, std::move(h));
}

void Game::unhookEvent(const PluginContext* owner, std::string_view name, bool post) {
    hooks_.remove(name, owner, post);
}

void Game::fireEvent(std::string_view name) {
    HookList& list = hooks_.list(name);
    hooks_.fireEach(list, [this](CallerKind kind, std::vector<std::uintptr_t>& out) {
        GameEvent* ev = event_;
        if (ev == nullptr) return;
        switch (kind) {
            case CallerKind::Car:
                for (Car* c : ev->cars) out.push_back(actorAddress(c));
                break;
            case CallerKind::Ball:
                for (Ball* b : ev->balls) out.push_back(actorAddress(b));
                break;
            case CallerKind::Server:
                if (ev->isServer) out.push_back(actorAddress(ev));
                break;
            case CallerKind::Actor: out.push_back(actorAddress(ev)); break;
            case CallerKind::CarComponent:
            case CallerKind::None: break;
        }
    });
}

int Game::hookCount(std::string_view name) const {
    const HookList* l = hooks_.find(name);
    return l == nullptr ? 0 : l->count();
}

// --- Drawables ---

void Game::registerDrawable(const PluginContext* owner, DrawableFn fn) {
    if (fn) drawables_.push_back(std::make_unique<Drawable>(Drawable{owner, std::move(fn)}));
}

void Game::unregisterDrawables(const PluginContext* owner) {
    for (auto& d : drawables_)
        if (d->owner == owner) d->removed = true;
    compactDrawables();
}

void Game::compactDrawables() {
    if (drawing_ == 0)
        std::erase_if(drawables_, [](const auto& d) { return d->removed; });
}

int Game::drawableCount() const {
    return static_cast<int>(std::count_if(drawables_.begin(), drawables_.end(),
                                          [](const auto& d) { return !d->removed; }));
}

void Game::runDrawables(const std::function<void(const DrawableFn&)>& draw) {
    ++drawing_;
    const std::size_t n = drawables_.size();
    for (std::size_t i = 0; i < n; ++i) {
        Drawable& d = *drawables_[i];
        if (d.removed) continue;
        catchAll([&] { draw(d.fn); }, [] { return "drawable"; },
                 [this](const std::string& line) { reportError(line); });
    }
    --drawing_;
    compactDrawables();
}

void Game::dropOwner(const PluginContext* owner) {
    hooks_.removeOwner(owner);
    unregisterDrawables(owner);
    std::erase_if(timeouts_, [owner](const Timeout& t) { return t.owner == owner; });
}

}  // namespace host
