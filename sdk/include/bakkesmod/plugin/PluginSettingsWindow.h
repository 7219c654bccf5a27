// The settings-window interface of plug-ins that draw their own settings page.
#pragma once
#include <cstdint>
#include <string>

#include "bakkesmodsdk.h"

namespace BakkesMod {
namespace Plugin {

class PluginSettingsWindow {
public:
    virtual ~PluginSettingsWindow() = default;
    virtual void RenderSettings() = 0;
    virtual std::string GetPluginName() = 0;
    virtual void SetImGuiContext(std::uintptr_t ctx) = 0;
};

}  // namespace Plugin
}  // namespace BakkesMod
