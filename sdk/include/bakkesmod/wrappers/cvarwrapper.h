// Handle of one console variable; null when the name is unknown.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>

#include "wrapperstructs.h"

class BAKKESMOD_PLUGIN_IMPORT CVarWrapper {
public:
    CVarWrapper(std::uintptr_t mem, std::type_index pluginIdx);
    CVarWrapper(const CVarWrapper& other);
    CVarWrapper& operator=(CVarWrapper rhs);
    ~CVarWrapper();

    std::string getCVarName();
    std::string getDescription();
    const std::string GetDefaultValue();
    bool HasMinimum();
    bool HasMaximum();
    float GetMinimum();
    float GetMaximum();

    std::string getStringValue();
    int getIntValue();
    float getFloatValue();
    bool getBoolValue();
    LinearColor getColorValue();

    void setValue(std::string value);
    void setValue(int value);
    void setValue(float value);
    void setValue(LinearColor value);
    void ResetToDefault();
    // Runs the change handlers as if the value had been set.
    void notify();

    // The handler gets the previous value and the variable, whose getters give the new one.
    void addOnValueChanged(std::function<void(std::string, CVarWrapper)> changeFunc);
    void removeOnValueChanged();

    // The host keeps its own reference and writes each new value into the cell.
    void bindTo(std::shared_ptr<int> var);
    void bindTo(std::shared_ptr<float> var);
    void bindTo(std::shared_ptr<std::string> var);
    void bindTo(std::shared_ptr<bool> var);
    void bindTo(std::shared_ptr<LinearColor> var);

    bool IsNull();
    explicit operator bool();

    std::uintptr_t memory_address;

private:
    std::type_index pluginIdx_;
};
