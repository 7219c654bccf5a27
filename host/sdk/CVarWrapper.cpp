// CVarWrapper: a handle on one console variable; memory_address is a host::VariableRef.
#include <string>

#include "bakkesmod/wrappers/cvarwrapper.h"
#include "console/Console.h"
#include "sdk/FieldAccess.h"

namespace {

host::VariableRef* refOf(std::uintptr_t address) {
    return reinterpret_cast<host::VariableRef*>(address);
}

// The variable behind a handle, even one since unregistered; null for a null handle.
host::Variable* anyVar(std::uintptr_t address) {
    host::VariableRef* ref = refOf(address);
    return ref != nullptr ? ref->var : nullptr;
}

// The live variable behind a handle, or null (null handle, or variable unregistered).
host::Variable* liveVar(std::uintptr_t address) {
    host::VariableRef* ref = refOf(address);
    if (!ref || !ref->var || ref->var->removed) return nullptr;
    return ref->var;
}

}  // namespace

WL_GET(CVarWrapper, std::string, getCVarName, anyVar, def.name)
WL_GET(CVarWrapper, std::string, getDescription, anyVar, def.description)
WL_GET(CVarWrapper, const std::string, GetDefaultValue, anyVar, def.defaultValue)
WL_GET(CVarWrapper, bool, HasMinimum, anyVar, def.hasMin)
WL_GET(CVarWrapper, bool, HasMaximum, anyVar, def.hasMax)
WL_GET(CVarWrapper, float, GetMinimum, anyVar, def.min)
WL_GET(CVarWrapper, float, GetMaximum, anyVar, def.max)
WL_GET(CVarWrapper, std::string, getStringValue, anyVar, value)

int CVarWrapper::getIntValue() { return host::toInt(getStringValue()); }

float CVarWrapper::getFloatValue() { return host::toFloat(getStringValue()); }

bool CVarWrapper::getBoolValue() { return host::toBool(getStringValue()); }

LinearColor CVarWrapper::getColorValue() { return host::toColor(getStringValue()); }

void CVarWrapper::setValue(std::string value) {
    if (host::Variable* var = liveVar(memory_address)) var->console->setVariable(*var, value);
}

void CVarWrapper::setValue(int value) { setValue(std::to_string(value)); }

void CVarWrapper::setValue(float value) { setValue(host::formatFloat(value)); }

void CVarWrapper::setValue(LinearColor value) { setValue(host::formatColor(value)); }

void CVarWrapper::ResetToDefault() {
    if (host::Variable* var = liveVar(memory_address)) setValue(var->def.defaultValue);
}

void CVarWrapper::notify() {
    if (host::Variable* var = liveVar(memory_address)) var->console->notifyVariable(*var);
}

void CVarWrapper::addOnValueChanged(std::function<void(std::string, CVarWrapper)> changeFunc) {
    host::Variable* var = liveVar(memory_address);
    if (!var || !changeFunc) return;
    var->handlers.push_back(host::ChangeHandler{std::move(changeFunc), refOf(memory_address)->owner});
}

void CVarWrapper::removeOnValueChanged() {
    host::Variable* var = liveVar(memory_address);
    if (!var) return;
    const auto* owner = refOf(memory_address)->owner;
    std::erase_if(var->handlers, [owner](const host::ChangeHandler& h) { return h.owner == owner; });
}

namespace {

template <typename T>
void bindCell(std::uintptr_t address, std::shared_ptr<T> cell) {
    host::Variable* var = liveVar(address);
    if (!var || !cell) return;
    host::Binding binding{host::Cell(std::move(cell)), refOf(address)->owner};
    // The cell shows the current value from the moment it is bound.
    host::writeCell(binding.cell, var->def, var->value);
    var->bindings.push_back(std::move(binding));
}

}  // namespace

void CVarWrapper::bindTo(std::shared_ptr<int> var) { bindCell(memory_address, std::move(var)); }
void CVarWrapper::bindTo(std::shared_ptr<float> var) { bindCell(memory_address, std::move(var)); }
void CVarWrapper::bindTo(std::shared_ptr<std::string> var) { bindCell(memory_address, std::move(var)); }
void CVarWrapper::bindTo(std::shared_ptr<bool> var) { bindCell(memory_address, std::move(var)); }
void CVarWrapper::bindTo(std::shared_ptr<LinearColor> var) { bindCell(memory_address, std::move(var)); }

bool CVarWrapper::IsNull() { return liveVar(memory_address) == nullptr; }

CVarWrapper::operator bool() { return liveVar(memory_address) != nullptr; }
