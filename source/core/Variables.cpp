// Registration of the wl_ console variables from their table.
#include "core/Variables.h"

#include <string>
#include <utility>

#include "core/Messages.h"
#include "core/wingleaf.h"
#include "guard/CallbackGuard.h"

namespace {

using ChangeHandler = void (wingleaf::*)(std::string, CVarWrapper);

// The handler that runs on every change of a variable; null for none.
ChangeHandler handlerOf(Binding binding) {
    switch (binding) {
        case Binding::Enabled:
            return &wingleaf::onEnabledChange;
        case Binding::PresetSelect:
            return &wingleaf::onPresetSelect;
        case Binding::PresetCreate:
            return &wingleaf::onPresetCreate;
        case Binding::PresetDelete:
            return &wingleaf::onPresetDelete;
        default:
            return nullptr;
    }
}

// Wraps a member handler so that a failure becomes a console line instead of reaching the host.
std::function<void(std::string, CVarWrapper)> guardedHandler(wingleaf& plugin,
                                                             ChangeHandler handler,
                                                             std::string_view name) {
    return [self = &plugin, handler, name = std::string(name)](
               std::string oldValue, CVarWrapper cvar) {
        guardCallback([&] { (self->*handler)(std::move(oldValue), cvar); },
                      [&](const char* what) {
                          if (self->cvarManager)
                              self->cvarManager->log(name + std::string(kHandlerFailedText) +
                                                     failureText(what));
                      });
    };
}

void bindCell(wingleaf& plugin, const VariableRow& row, CVarWrapper& cvar) {
    switch (row.binding) {
        case Binding::Slider:
            cvar.bindTo(plugin.cell(row.slider));
            break;
        case Binding::Enabled:
            cvar.bindTo(plugin.enabled);
            break;
        case Binding::NamePreset:
            cvar.bindTo(plugin.namePreset);
            break;
        default:
            break;
    }
}

}  // namespace

void registerVariables(wingleaf& plugin) {
    CVarManagerWrapper& console = *plugin.cvarManager;
    for (const VariableRow& row : kVariables) {
        const std::string name(row.name);
        CVarWrapper cvar =
            console.registerCvar(name, std::string(row.defaultValue), std::string(row.description),
                                 true, row.hasMin, row.min, row.hasMax, row.max, row.saved);
        const ChangeHandler handler = handlerOf(row.binding);
        if (handler == nullptr) {
            bindCell(plugin, row, cvar);
            continue;
        }
        cvar.addOnValueChanged(guardedHandler(plugin, handler, row.name));
        // A variable with a handler is bound through a fresh lookup once the handler is in place.
        if (row.cellKind() != CellKind::None) {
            CVarWrapper registered = console.getCvar(name);
            bindCell(plugin, row, registered);
        }
    }
}
