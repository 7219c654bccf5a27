// Load and unload of the plug-in object.
#include "core/wingleaf.h"

#include <charconv>
#include <string>
#include <utility>

#include "core/Activation.h"
#include "core/Messages.h"
#include "core/Settings.h"

namespace {

// The numeric default of a table row, as a float cell starts before the host writes it.
float defaultAsFloat(const SettingRow& row) {
    float value = 0.0f;
    std::from_chars(row.defaultValue.data(), row.defaultValue.data() + row.defaultValue.size(),
                    value);
    return value;
}

}  // namespace

void wingleaf::onLoad() {
    enabled = std::make_shared<bool>(false);
    namePreset = std::make_shared<std::string>();
    for (const SettingRow& row : kSettings) {
        if (row.cellKind() == CellKind::Float)
            this->*row.floatCell = std::make_shared<float>(defaultAsFloat(row));
    }

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

    Hud* overlay = &hud;
    hud.game->RegisterDrawable([overlay](CanvasWrapper canvas) { overlay->drawFrame(canvas); });

    registerSettings(*this);
    hookGameEvents(*this);

    cvarManager->executeCommand(std::string(kRefreshSettingsCommand), false);
}

void wingleaf::onUnload() {
    if (cvarManager) cvarManager->log(std::string(kUnloadLogLine));
    if (gameWrapper && gameWrapper->IsInGame()) restoreStockValues(gameWrapper->GetLocalCar());
}
