// CVarWrapper: a handle on one console variable; memory_address is a host::VariableRef.
#include <string>

#include "bakkesmod/wrappers/cvarwrapper.h"
#include "console/Console.h"

namespace {

host::VariableRef* refOf(std::uintptr_t address) {
    return reinterpret_cast<host::VariableRef*>(address);
}

// The live variable behind a handle, or null (null handle, or variable unregistered).
host::Variable* liveVar(std::uintptr_t address) {
    host::VariableRef* ref = refOf(address);
    if (!ref || !ref->var || ref->var->removed) return nullptr;
    return ref->var;
}

}  // namespace

CVarWrapper::CVarWrapper(std::uintptr_t mem, std::type_index pluginIdx)
    : memory_address(mem), pluginIdx_(pluginIdx) {}

CVarWrapper::CVarWrapper(const CVarWrapper& other) = default;

CVarWrapper& CVarWrapper::operator=(CVarWrapper rhs) {
    memory_address = rhs.memory_address;
    pluginIdx_ = rhs.pluginIdx_;
    return *this;
}

CVarWrapper::~CVarWrapper() = default;

std::string CVarWrapper::getCVarName() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->def.name : std::string();
}

std::string CVarWrapper::getDescription() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->def.description : std::string();
}

const std::string CVarWrapper::GetDefaultValue() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->def.defaultValue : std::string();
}

bool CVarWrapper::HasMinimum() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var && ref->var->def.hasMin;
}

bool CVarWrapper::HasMaximum() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var && ref->var->def.hasMax;
}

float CVarWrapper::GetMinimum() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->def.min : 0.0f;
}

float CVarWrapper::GetMaximum() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->def.max : 0.0f;
}

std::string CVarWrapper::getStringValue() {
    host::VariableRef* ref = refOf(memory_address);
    return ref && ref->var ? ref->var->value : std::string();
}

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
