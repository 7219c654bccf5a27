// Load and unload of the plug-in object.
#include "core/wingleaf.h"

#include <string>
#include <utility>

#include "core/Activation.h"
#include "core/Messages.h"
#include "core/PresetHandlers.h"
#include "core/Variables.h"
#include "presets/PresetMessages.h"
#include "presets/PresetProcedures.h"

void wingleaf::onLoad() {
    enabled = std::make_shared<bool>(false);
    namePreset = std::make_shared<std::string>();
    // Each cell shares the block's ownership: a variable holding its cell keeps the block alive.
    sliderBlock = std::make_shared<SliderValues>();
    for (Slider slider : kSliders)
        cell(slider) = std::shared_ptr<float>(sliderBlock, &(*sliderBlock)[slider]);

    Preset defaults;
    preset = std::make_shared<Preset>(std::move(defaults));

    devCommands.cvarManager = cvarManager;
    devCommands.logger = cvarManager;
    devCommands.gameWrapper = gameWrapper;
    preset->cvarManager = cvarManager;
    hud.console = cvarManager;
    hud.game = gameWrapper;
    hud.owner = this;

    devCommands.registerCommands();
    hud.bindSwitches();

    Hud* overlay = &hud;
    hud.game->RegisterDrawable([overlay](CanvasWrapper canvas) { overlay->drawFrame(canvas); });

    registerVariables(*this);
    hookGameEvents(*this);

    // Before the settings windows are read: a tmp.set an older version's crash left would show
    // as one.
    removeLeftovers(pluginPresetIo(*this));
    cvarManager->executeCommand(std::string(kRefreshSettingsCommand), false);
}

void wingleaf::onUnload() {
    if (cvarManager) cvarManager->log(std::string(kUnloadLogLine));
    if (gameWrapper && gameWrapper->IsInGame()) restoreStockValues(gameWrapper->GetLocalCar());
}

const SliderValues& wingleaf::sliderValues() const {
    static constexpr SliderValues kDefaults{};
    return sliderBlock ? *sliderBlock : kDefaults;
}
