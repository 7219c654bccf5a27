#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset and runs the flight lab,
# which flies one launch stock and with every base preset through wingleaf-host and the
# plug-in, prints the comparison table and writes the trajectories and pictures to out/flightlab.
# Extra arguments go to the flight lab (./scripts/demo.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
jobs=$(nproc 2>/dev/null || echo 2)
echo "demo: building the release preset" >&2
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" >/dev/null
exec build/release/tools/flightlab/wingleaf-flightlab --out out/flightlab "$@"
