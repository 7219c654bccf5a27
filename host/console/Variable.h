// One console variable: its value, range, flags, bound cells and change handlers.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "bakkesmod/wrappers/cvarwrapper.h"

namespace host {

class Console;
struct PluginContext;

// The registration arguments of a variable.
struct VariableDef {
    std::string name;
    std::string defaultValue;
    std::string description;
    bool searchable = true;
    bool hasMin = false;
    float min = 0;
    bool hasMax = false;
    float max = 0;
    bool save = true;
};

// A storage cell shared with a plug-in; the host writes every new value into it.
using Cell = std::variant<std::shared_ptr<int>, std::shared_ptr<float>, std::shared_ptr<std::string>,
                          std::shared_ptr<bool>, std::shared_ptr<LinearColor>>;

struct Binding {
    Cell cell;
    const PluginContext* owner = nullptr;
};

// Gets the previous value and the variable.
using ChangeFunc = std::function<void(std::string, CVarWrapper)>;

struct ChangeHandler {
    ChangeFunc fn;
    const PluginContext* owner = nullptr;
};

struct Variable {
    VariableDef def;
    std::string value;
    const PluginContext* owner = nullptr;  // null for the host's own variables
    Console* console = nullptr;
    bool removed = false;  // unregistered: kept only so stale handles stay valid
    std::vector<Binding> bindings;
    std::vector<ChangeHandler> handlers;
};

// What a CVarWrapper's memory_address points at: a variable as seen by one plug-in, so
// that handlers and cells added through the handle are tagged with that plug-in.
struct VariableRef {
    Variable* var = nullptr;
    const PluginContext* owner = nullptr;
};

// ---- value conversions shared by the console and CVarWrapper -----------------------------

// The float the whole text denotes (leading/trailing blanks allowed), or nullopt when the
// text is not entirely a number. May be non-finite ("inf", "nan", overflow).
std::optional<float> parseWholeFloat(const std::string& text);
// The shortest text that reads back as exactly this float: 10, 0.5, 0.000499.
std::string formatFloat(float value);
// strtof of the text (0 when it starts with no number).
float toFloat(const std::string& text);
// toFloat truncated toward zero, saturated to the int range (NaN gives 0).
int toInt(const std::string& text);
// True when the numeric value is not 0.
bool toBool(const std::string& text);
// "#RRGGBB", "#RRGGBBAA" or up to four numbers separated by blanks or commas (optionally in
// parentheses), components 0-255; missing components are 0, a missing alpha 255.
LinearColor toColor(const std::string& text);
// A colour as "#RRGGBBAA" (components clamped to 0-255 and rounded).
std::string formatColor(const LinearColor& color);

// The value stored for TEXT on this variable: a number outside the range is clamped and
// then written shortest; anything else is kept exactly as typed. nullopt when rejected
// (NaN, or infinity on a side without a bound, for a variable with a range).
std::optional<std::string> storedValue(const VariableDef& def, const std::string& text);
// Writes the value into the cell, converted to the cell's type.
void writeCell(const Cell& cell, const VariableDef& def, const std::string& value);

}  // namespace host
