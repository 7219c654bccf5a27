#!/usr/bin/env bash
# Builds the windows-i686 preset and initialises the Wine prefix the Windows tests run in.
# Exits 77 (the tests' "skipped" code) only when the mingw-w64 toolchain or Wine is absent.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v i686-w64-mingw32-g++ >/dev/null 2>&1 || missing+=(i686-w64-mingw32-g++)
command -v i686-w64-mingw32-objdump >/dev/null 2>&1 || missing+=(i686-w64-mingw32-objdump)
command -v wine >/dev/null 2>&1 || missing+=(wine)
command -v wineboot >/dev/null 2>&1 || missing+=(wineboot)
if [ "${#missing[@]}" -ne 0 ]; then
  echo "windows: SKIPPED: ${missing[*]} not installed; 'scripts/bootstrap.sh --windows' installs them"
  exit 77
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j "$jobs"

# A prefix of our own, so the tests neither depend on nor disturb the user's ~/.wine.
prefix="$PWD/build/windows-i686/wineprefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  echo "windows: initialising the Wine prefix $prefix"
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # The registry reaches the disk only when this prefix's server ends.
  wineserver -w
fi
test -f "$prefix/system.reg" || { echo "windows: Wine prefix $prefix was not initialised" >&2; exit 1; }
echo "windows: build and Wine prefix ready"
