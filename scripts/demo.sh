#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs a short session in wingleaf-host.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
root=out/demo
mkdir -p "$root"
build/release/host/wingleaf-host --root "$root" --plugin "$PWD/build/release/source/wingleaf.so" \
  -c "plugin list" -c "wl_speed" -c "wl_speed 1.5" -c "wl_speed" -c "wl_enabled" -c "plugin unload wingleaf"

# A freeplay moment with the model on: a second of full throttle and boost, then one HUD frame.
build/release/host/wingleaf-host --root "$root" --plugin "$PWD/build/release/source/wingleaf.so" \
  -c "sim_mode freeplay" -c "wl_enabled 1" -c "sim_input throttle 1" -c "sim_input boost 1" \
  -c "sim_tick 120" -c "sim_draw hud.png"
echo "HUD picture of a freeplay frame: $root/hud.png"
