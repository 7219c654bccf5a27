#!/usr/bin/env bash
# Flies the same launch in freeplay twice, stock and with the aerodynamic model, and prints
# where the car touches down in each flight.
# Usage: examples/fly-freeplay.sh [BUILD_DIR]   (default: build/release, else build/dev)
set -euo pipefail

case "${1:-}" in
  -h|--help)
    echo "usage: examples/fly-freeplay.sh [BUILD_DIR]"
    echo "Flies examples/launch.cfg stock and with examples/glider.cfg through BUILD_DIR's"
    echo "wingleaf-host and plug-in (default: build/release, else build/dev) and prints where"
    echo "the car touches down in each flight."
    exit 0 ;;
esac

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build="${1:-}"
if [ -z "$build" ]; then
  for b in "$repo/build/release" "$repo/build/dev"; do
    if [ -x "$b/host/wingleaf-host" ]; then build="$b"; break; fi
  done
fi
host="$build/host/wingleaf-host"
plugin=""
for p in "$build/source/wingleaf.so" "$build/source/wingleaf.dll"; do
  if [ -f "$p" ]; then plugin="$p"; break; fi
done
if [ -z "$build" ] || [ ! -x "$host" ] || [ -z "$plugin" ]; then
  echo "fly-freeplay: no wingleaf-host and plug-in under '${build:-build/release or build/dev}';" \
    "build them first (cmake --preset release && cmake --build --preset release)" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Up to ten seconds of flight, one tick at a time, with the car's state after each.
for _ in $(seq 1 1200); do printf 'sim_tick 1\nsim_state car 0\n'; done > "$work/ticks.cfg"

# Prints the first tick on which the car is on the ground, with its location then.
touchdown() {
  awk -v label="$1" '
    found { next }
    /^car0\.location = /  { loc = $0; sub(/^car0\.location = /, "", loc) }
    /^car0\.on_ground = / { tick++; if ($3 == 1) { split(loc, p, ", "); found = 1
        printf "%-16s lands at x = %.1f, y = %.1f after %.3f s (%d ticks)\n",
               label, p[1], p[2], tick / 120, tick } }
    END { if (!found) printf "%-16s still airborne after %d ticks\n", label, tick }'
}

"$host" --root "$work/stock" --plugin "$plugin" "$here/launch.cfg" "$work/ticks.cfg" \
  | touchdown "stock:"
"$host" --root "$work/model" --plugin "$plugin" "$here/launch.cfg" "$here/glider.cfg" \
  "$work/ticks.cfg" | touchdown "with the model:"
