#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset and runs the flight lab,
# which flies one launch stock and with every base preset through wingleaf-host and the
# plug-in, prints the comparison table and writes the trajectories and pictures to out/flightlab;
# then draws the HUD of a freeplay moment to out/demo/hud.png.
# Extra arguments go to the flight lab (./scripts/demo.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
jobs=$(nproc 2>/dev/null || echo 2)
echo "demo: building the release preset" >&2
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" >/dev/null
for arg in "$@"; do
  case "$arg" in
    -h|--help) exec build/release/tools/flightlab/wingleaf-flightlab --help ;;
  esac
done
build/release/tools/flightlab/wingleaf-flightlab --out out/flightlab "$@"

# A freeplay moment with a base preset and the model on: a second of full throttle, boost and
# a gentle right turn, then one HUD frame as a picture.
root=out/demo
mkdir -p "$root"
build/release/host/wingleaf-host --root "$root" --plugin "$PWD/build/release/source/wingleaf.so" \
  -c "sim_mode freeplay" -c "wl_preset 2" -c "wl_enabled 1" -c "sim_input throttle 1" \
  -c "sim_input boost 1" -c "sim_input steer 0.4" \
  -c "sim_tick 120" -c "sim_draw hud.png" >/dev/null
echo "demo: HUD picture of a freeplay frame in $root/hud.png" >&2
