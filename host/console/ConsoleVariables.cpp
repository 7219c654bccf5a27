// The console's variables: registration, setting with cells and handlers, saved values.
#include <typeinfo>

#include "console/Console.h"
#include "sdk/PluginContext.h"

namespace host {

Variable& Console::registerVariable(const VariableDef& def, const PluginContext* owner) {
    if (Variable* existing = findVariable(def.name)) return *existing;
    auto var = std::make_unique<Variable>();
    var->def = def;
    var->value = storedValue(def, def.defaultValue).value_or(def.defaultValue);
    var->owner = owner;
    var->console = this;
    Variable& ref = *var;
    variables_[def.name] = std::move(var);
    if (auto saved = pendingSaved_.find(def.name); saved != pendingSaved_.end()) {
        const std::string value = saved->second;
        pendingSaved_.erase(saved);
        applyValue(ref, value, false);
    }
    return ref;
}

Variable* Console::findVariable(const std::string& name) {
    auto it = variables_.find(name);
    return it == variables_.end() ? nullptr : it->second.get();
}

bool Console::removeVariable(const std::string& name) {
    auto it = variables_.find(name);
    if (it == variables_.end()) return false;
    retire(std::move(it->second));
    variables_.erase(it);
    return true;
}

bool Console::setVariable(Variable& var, const std::string& value) { return applyValue(var, value, true); }

bool Console::restoreVariable(Variable& var, const std::string& value) {
    return applyValue(var, value, false);
}

bool Console::applyValue(Variable& var, const std::string& value, bool runChangeHandlers) {
    if (var.removed) return false;
    const auto stored = storedValue(var.def, value);
    if (!stored) {
        err(var.def.name + ": not a usable number: " + value);
        return false;
    }
    std::string previous = std::move(var.value);
    var.value = *stored;
    for (const Binding& b : var.bindings) writeCell(b.cell, var.def, var.value);
    if (runChangeHandlers) runHandlers(var, previous);
    return true;
}

void Console::runHandlers(Variable& var, const std::string& previous) {
    // A handler may add or drop handlers, or set other variables: run over a copy.
    const std::vector<ChangeHandler> handlers = var.handlers;
    for (const ChangeHandler& h : handlers) {
        CVarWrapper wrapper(handleFor(var, h.owner), typeid(PluginContext));
        guarded("change handler of " + var.def.name, [&] { h.fn(previous, wrapper); });
    }
}

void Console::notifyVariable(Variable& var) {
    if (!var.removed) runHandlers(var, var.value);
}

std::vector<Variable*> Console::variables() {
    std::vector<Variable*> list;
    for (auto& [name, var] : variables_) list.push_back(var.get());
    return list;
}

std::map<std::string, std::string> Console::savedValues() const {
    std::map<std::string, std::string> values = pendingSaved_;
    for (const auto& [name, var] : variables_)
        if (var->def.save) values[name] = var->value;
    return values;
}

void Console::restoreSaved(const std::string& name, const std::string& value) {
    if (Variable* var = findVariable(name)) applyValue(*var, value, false);
    else pendingSaved_[name] = value;
}

}  // namespace host
