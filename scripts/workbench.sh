#!/usr/bin/env bash
# The workbench: installs what is missing, builds the release preset's flight lab, host and
# plug-in (and lays out the page), then serves the page on 127.0.0.1 until Ctrl-C.
# Usage: ./scripts/workbench.sh [--game DIR] [--port N] [--listen ADDR]
set -euo pipefail
cd "$(dirname "$0")/.."
lab=build/release/tools/flightlab/wingleaf-flightlab

for arg in "$@"; do
  case "$arg" in
    -h|--help)
      cat <<'USAGE'
usage: ./scripts/workbench.sh [--game DIR] [--port N] [--listen ADDR]
Builds the release preset's flight lab and serves the workbench: a page on this machine where
every slider move re-flies the launch through the plug-in. Open the address it prints.
  --game DIR     a game folder with the plug-in installed: its user presets are listed, and
                 presets saved from the page go there (a missing or empty DIR is laid out
                 first, as 'cmake --install build/release --prefix DIR' does)
  --port N       the port (default 8765; 0: any free one, printed)
  --listen ADDR  listen on ADDR instead of 127.0.0.1 (others can then reach it: a warning)
Ctrl-C ends it.
USAGE
      exit 0
      ;;
  esac
done

./scripts/bootstrap.sh
jobs=$(nproc 2>/dev/null || echo 2)
echo "workbench: building the flight lab, wingleaf-host and the plug-in (release preset)" >&2
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target wingleaf-flightlab wingleaf-host wingleaf >/dev/null
# A game folder that does not exist yet (or is empty) is laid out as the install step lays out
# a game's: the plug-in and its settings window, so that presets saved from the page have a home.
game=
prev=
for arg in "$@"; do
  case "$prev:$arg" in
    --game:*) game=$arg ;;
    *:--game=*) game=${arg#--game=} ;;
  esac
  prev=$arg
done
if [ -n "$game" ] && { [ ! -e "$game" ] || { [ -d "$game" ] && [ -z "$(ls -A "$game")" ]; }; }; then
  cmake --install build/release --prefix "$game" >/dev/null
  echo "workbench: laid out a game folder in $game (the plug-in and its settings window)" >&2
fi
exec "$lab" --serve "$@"
