// A simulated game with two plug-in contexts and their game handles, for the host's game tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "bakkesmod/wrappers/GameWrapper.h"
#include "game/Game.h"
#include "sdk/PluginContext.h"

class GameFixture : public ::testing::Test {
protected:
    GameFixture() {
        game.setErrorSink([this](const std::string& m) { errors.push_back(m); });
    }

    host::Game game;
    host::PluginContext ctxA{nullptr, &game, "a", "A", "1", "", 1};
    host::PluginContext ctxB{nullptr, &game, "b", "B", "1", "", 1};
    GameWrapper gwA{reinterpret_cast<std::uintptr_t>(&ctxA), 1, typeid(int)};
    GameWrapper gwB{reinterpret_cast<std::uintptr_t>(&ctxB), 1, typeid(long)};
    // Diagnostics the game reported.
    std::vector<std::string> errors;
    // What recording hooks saw.
    std::vector<std::string> seen;

    // A hook that records TAG.
    std::function<void(std::string)> recorder(const std::string& tag) {
        return [this, tag](std::string) { seen.push_back(tag); };
    }
};
