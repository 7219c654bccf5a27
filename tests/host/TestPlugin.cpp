// A small plug-in for the host's own tests: variables, cells, a change handler and commands.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bakkesmod/plugin/bakkesmodplugin.h"

class TestPlugin final : public BakkesMod::Plugin::BakkesModPlugin {
public:
    ~TestPlugin() {
        if (cvarManager) cvarManager->log("tp destroyed");
    }

    void onLoad() override {
        speed_ = std::make_shared<float>(-1.0f);
        cvarManager->registerCvar("tp_speed", "1", "A saved slider", true, true, 0.000499f, true, 10)
            .bindTo(speed_);
        cvarManager->registerCvar("tp_unsaved", "2", "Not saved", true, true, 0, true, 10, false);
        cvarManager->registerCvar("tp_text", "[none]", "Free text", true, false, 0, false, 0, false)
            .bindTo(text_ = std::make_shared<std::string>());
        cvarManager->getCvar("tp_speed").addOnValueChanged([this](std::string old, CVarWrapper var) {
            cvarManager->log("tp_speed changed from " + old + " to " + var.getStringValue() +
                             " (cell " + std::to_string(*speed_) + ")");
        });
        cvarManager->registerNotifier(
            "tp_echo",
            [this](std::vector<std::string> words) {
                std::string line;
                for (const auto& w : words) line += "[" + w + "]";
                cvarManager->log(line);
            },
            "Logs its words", PERMISSION_ALL);
        cvarManager->registerNotifier(
            "tp_throw", [this](std::vector<std::string>) { throw std::runtime_error("boom"); },
            "Throws", PERMISSION_ALL);
        cvarManager->registerNotifier(
            "tp_run",
            [this](std::vector<std::string> words) {
                if (words.size() == 2) cvarManager->executeCommand(words[1]);
            },
            "Runs one console line from inside the plug-in", PERMISSION_ALL);
        cvarManager->registerNotifier(
            "tp_wide", [this](std::vector<std::string>) { cvarManager->log(std::wstring(L"caf\u00e9 \u2708")); },
            "Logs a wide line", PERMISSION_ALL);
    }

    void onUnload() override { cvarManager->log("tp unloaded"); }

private:
    std::shared_ptr<float> speed_;
    std::shared_ptr<std::string> text_;
};

BAKKESMOD_PLUGIN(TestPlugin, "Test Plugin", "0.1", PLUGINTYPE_FREEPLAY)
