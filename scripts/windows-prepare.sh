#!/usr/bin/env bash
# Builds a Windows preset and initialises the Wine prefix the Windows tests run it in.
# Usage: scripts/windows-prepare.sh [windows-i686|windows-x64]   (default windows-i686)
# Exits 77 (the tests' "skipped" code) only when the mingw-w64 toolchain or Wine is absent.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-windows-i686}
case "$preset" in
  windows-i686) triplet=i686-w64-mingw32 ;;
  windows-x64) triplet=x86_64-w64-mingw32 ;;
  *) echo "windows-prepare: unknown preset '$preset' (windows-i686 or windows-x64)" >&2; exit 2 ;;
esac

missing=()
command -v $triplet-g++ >/dev/null 2>&1 || missing+=($triplet-g++)
command -v $triplet-objdump >/dev/null 2>&1 || missing+=($triplet-objdump)
command -v wine >/dev/null 2>&1 || missing+=(wine)
command -v wineboot >/dev/null 2>&1 || missing+=(wineboot)
if [ "${#missing[@]}" -ne 0 ]; then
  echo "$preset: SKIPPED: ${missing[*]} not installed; 'scripts/bootstrap.sh --windows' installs them"
  exit 77
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"

# A prefix of our own, so the tests neither depend on nor disturb the user's ~/.wine. A 64-bit
# prefix runs the 32-bit and the 64-bit programs alike.
prefix="$PWD/build/$preset/wineprefix"
# Wine keeps its server's socket in a folder under TMPDIR and never removes it: it gets a
# folder beside the prefix (the tests give their Wine processes the same one).
mkdir -p "$PWD/build/$preset/wine-tmp"
export TMPDIR="$PWD/build/$preset/wine-tmp"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  echo "$preset: initialising the Wine prefix $prefix"
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # The registry reaches the disk only when this prefix's server ends.
  wineserver -w
fi
test -f "$prefix/system.reg" || { echo "$preset: Wine prefix $prefix was not initialised" >&2; exit 1; }
echo "$preset: build and Wine prefix ready"
