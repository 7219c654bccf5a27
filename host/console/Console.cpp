// The simulated console: command dispatch, output, plug-in commands and ownership.
#include "console/Console.h"

#include <exception>
#include <iostream>

#include "common/CatchAll.h"
#include "console/LineSplitter.h"

namespace host {

Console::Console() : Console(std::cout, std::cerr) {}

Console::Console(std::ostream& out, std::ostream& err) : out_(&out), err_(&err) {}

Console::~Console() = default;

void Console::out(const std::string& line) {
    *out_ << line << '\n';
    out_->flush();
}

void Console::err(const std::string& line) {
    *err_ << line << '\n';
    err_->flush();
}

void Console::addHostCommand(std::string name, std::string help, HostCommand fn) {
    commands_[std::move(name)] = CommandEntry{std::move(help), std::move(fn)};
}

std::vector<std::pair<std::string, std::string>> Console::hostCommands() const {
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto& [name, entry] : commands_) list.emplace_back(name, entry.help);
    return list;
}

bool Console::execute(const std::string& line) {
    bool ok = true;
    for (const auto& words : splitLine(line)) {
        if (quit_) break;
        if (!executeWords(words)) ok = false;
    }
    return ok;
}

bool Console::executeWords(const Words& words) {
    if (words.empty()) return true;
    const std::string& name = words[0];
    bool ok = true;

    if (auto cmd = commands_.find(name); cmd != commands_.end()) {
        const HostCommand fn = cmd->second.fn;  // the command may replace itself
        try {
            ok = fn(words);
        } catch (const std::exception& e) {
            err(name + ": " + e.what());
            ok = false;
        } catch (...) {
            err(name + ": unexpected failure");
            ok = false;
        }
    } else if (Variable* var = findVariable(name)) {
        if (words.size() == 1) out(name + " = " + var->value);
        else ok = setVariable(*var, words[1]);
    } else if (auto n = notifiers_.find(name); n != notifiers_.end()) {
        const Notifier fn = n->second.fn;  // the command may remove itself
        ok = guarded("command " + name, [&] { fn(words); });
    } else {
        err("unknown command or variable: " + name);
        ok = false;
    }
    if (!ok) failed_ = true;
    return ok;
}

bool Console::guarded(const std::string& what, const std::function<void()>& fn) {
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } depth(callbackDepth_);
    if (catchAll(fn, [&] { return what; }, [this](const std::string& line) { err(line); }))
        return true;
    failed_ = true;
    return false;
}

void Console::addNotifier(std::string name, Notifier fn, std::string description,
                          const PluginContext* owner) {
    notifiers_[std::move(name)] = NotifierEntry{std::move(fn), std::move(description), owner};
}

bool Console::removeNotifier(const std::string& name) { return notifiers_.erase(name) > 0; }

bool Console::hasNotifier(const std::string& name) const { return notifiers_.count(name) > 0; }

void Console::dropOwner(const PluginContext* owner) {
    for (auto it = variables_.begin(); it != variables_.end();) {
        if (it->second->owner == owner) {
            if (it->second->def.save) pendingSaved_[it->first] = it->second->value;
            it->second->removed = true;
            removed_.push_back(std::move(it->second));
            it = variables_.erase(it);
        } else {
            ++it;
        }
    }
    auto dropFrom = [owner](Variable& var) {
        std::erase_if(var.bindings, [owner](const Binding& b) { return b.owner == owner; });
        std::erase_if(var.handlers, [owner](const ChangeHandler& h) { return h.owner == owner; });
    };
    for (auto& [name, var] : variables_) dropFrom(*var);
    for (auto& var : removed_) dropFrom(*var);
    std::erase_if(notifiers_, [owner](const auto& n) { return n.second.owner == owner; });
    // Handles (refs_) stay valid: a stale handle must never point at freed memory.
}

std::uintptr_t Console::handleFor(Variable& var, const PluginContext* owner) {
    auto& ref = refs_[{&var, owner}];
    if (!ref) ref = std::make_unique<VariableRef>(VariableRef{&var, owner});
    return reinterpret_cast<std::uintptr_t>(ref.get());
}

}  // namespace host
