#!/usr/bin/env bash
# The main job: installs what is missing, builds what the demo runs (the release preset's
# wingleaf-flightlab, wingleaf-host and plug-in) and runs the flight lab, which flies one launch
# stock and with every base preset through the simulated game and the plug-in, prints the
# comparison and slider tables and writes the trajectories and pictures to out/flightlab;
# then draws the HUD of a freeplay moment to out/demo/hud.png.
# Extra arguments go to the flight lab (./scripts/demo.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
lab=build/release/tools/flightlab/wingleaf-flightlab

for arg in "$@"; do
  case "$arg" in
    -h|--help)
      cat <<'USAGE'
usage: ./scripts/demo.sh [FLIGHT LAB OPTIONS]
Builds the release preset's flight lab, host and plug-in, flies the default comparison (or what
the options ask for) into out/flightlab, then draws a HUD frame into out/demo/hud.png.
Examples:
  ./scripts/demo.sh --body octane,merc
  ./scripts/demo.sh --sweep wl_lift=0:10:11 --sweep-preset 3
  ./scripts/demo.sh --tune airtime=5,distance=9000

USAGE
      if [ -x "$lab" ]; then
        exec "$lab" --help
      fi
      echo "The flight lab's options are listed in docs/flightlab.md (and by"
      echo "$lab --help once it is built)."
      exit 0
      ;;
  esac
done

./scripts/bootstrap.sh
jobs=$(nproc 2>/dev/null || echo 2)
echo "demo: building the flight lab, wingleaf-host and the plug-in (release preset)" >&2
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target wingleaf-flightlab wingleaf-host wingleaf >/dev/null
"$lab" --out out/flightlab "$@"

# A freeplay moment with a base preset and the model on: a second of full throttle, boost and
# a gentle right turn, then one HUD frame as a picture.
root=out/demo
mkdir -p "$root"
build/release/host/wingleaf-host --root "$root" --plugin "$PWD/build/release/source/wingleaf.so" \
  -c "sim_mode freeplay" -c "wl_preset 2" -c "wl_enabled 1" -c "sim_input throttle 1" \
  -c "sim_input boost 1" -c "sim_input steer 0.4" \
  -c "sim_tick 120" -c "sim_draw hud.png" >/dev/null
echo "demo: HUD picture of a freeplay frame in $root/hud.png" >&2
