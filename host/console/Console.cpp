// The simulated console: command dispatch, output, plug-in commands and ownership.
#include "console/Console.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <set>

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

std::vector<std::string> Console::names() const {
    std::vector<std::string> list;
    for (const auto& entry : commands_) list.push_back(entry.first);
    for (const auto& entry : notifiers_) list.push_back(entry.first);
    for (const auto& entry : variables_) list.push_back(entry.first);
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

std::vector<std::pair<std::string, std::string>> Console::pluginCommands() const {
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto& [name, entry] : notifiers_) list.emplace_back(name, entry.description);
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
        std::string line = "unknown command or variable: " + name;
        if (!namesHinted_) line += " (help lists the host commands, list the plug-ins' variables)";
        namesHinted_ = true;
        err(line);
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
            retire(std::move(it->second));
            it = variables_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [name, var] : variables_) {
        std::erase_if(var->bindings, [owner](const Binding& b) { return b.owner == owner; });
        std::erase_if(var->handlers, [owner](const ChangeHandler& h) { return h.owner == owner; });
    }
    std::erase_if(notifiers_, [owner](const auto& n) { return n.second.owner == owner; });
    // The owner's handles die with its library; the other plug-ins' handles stay valid.
    std::erase_if(refs_, [owner](const auto& r) { return r.first.second == owner; });
    freeUnreferenced();
}

void Console::retire(std::unique_ptr<Variable> var) {
    // A saved variable's value is written to the configuration even after it is gone.
    if (var->def.save) pendingSaved_[var->def.name] = var->value;
    // A removed variable is never set again: its cells and handlers are of no use.
    var->removed = true;
    var->bindings.clear();
    var->handlers.clear();
    removed_.push_back(std::move(var));
}

void Console::freeUnreferenced() {
    std::set<const Variable*> referenced;
    for (const auto& entry : refs_) referenced.insert(entry.first.first);
    std::erase_if(removed_, [&referenced](const auto& var) { return referenced.count(var.get()) == 0; });
}

std::uintptr_t Console::handleFor(Variable& var, const PluginContext* owner) {
    auto& ref = refs_[{&var, owner}];
    if (!ref) ref = std::make_unique<VariableRef>(VariableRef{&var, owner});
    return reinterpret_cast<std::uintptr_t>(ref.get());
}

}  // namespace host
