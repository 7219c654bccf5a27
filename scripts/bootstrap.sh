#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the project.
# Usage: scripts/bootstrap.sh [--windows] [--coverage]   (run as root, or with sudo available)
# --windows adds the mingw-w64 cross compilers (32- and 64-bit) and Wine for both, and clang 19
# with Wine's C runtime headers (downloaded, not installed) for the MSVC-mode check.
# --coverage adds gcovr, which scripts/coverage.sh reports with.
set -euo pipefail

want_windows=0
want_coverage=0
for arg in "$@"; do
  case "$arg" in
    --windows) want_windows=1 ;;
    --coverage) want_coverage=1 ;;
    *) echo "bootstrap: unknown option '$arg'" >&2; exit 2 ;;
  esac
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for p in build-essential cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
         libcairo2-dev libfontconfig-dev libreadline-dev fonts-dejavu-core libcli11-dev libnlopt-cxx-dev clang libclang-rt-14-dev binutils file \
         libcpp-httplib-dev nlohmann-json3-dev chromium; do
  have_pkg "$p" || need+=("$p")
done
# Node and npm run the workbench's browser test and install its page's libraries; a machine
# with its own Node keeps it.
command -v node >/dev/null || need+=(nodejs)
command -v npm >/dev/null || need+=(npm)

if [ "$want_windows" -eq 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "bootstrap: adding the i386 architecture for wine32" >&2
    $SUDO dpkg --add-architecture i386
    need+=(__update__)
  fi
  for p in g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 clang-19 lld-19; do
    have_pkg "$p" || need+=("$p")
  done
fi

if [ "$want_coverage" -eq 1 ]; then
  have_pkg gcovr || need+=(gcovr)
fi

# The workbench page's libraries and its browser test's driver, pinned by package-lock.json.
install_web() {
  local web
  web="$(cd "$(dirname "$0")/.." && pwd)/tools/flightlab/web"
  if [ ! -d "$web/node_modules" ] || [ "$web/package-lock.json" -nt "$web/node_modules/.package-lock.json" ]; then
    echo "bootstrap: installing the workbench's npm packages in $web" >&2
    (cd "$web" && npm ci --no-audit --no-fund >&2)
  fi
}

# The C runtime headers of the MSVC-mode check: Wine's, unpacked into build/cache.
fetch_crt() {
  if [ "$want_windows" -eq 1 ]; then
    "$(dirname "$0")/msvc-check.sh" --fetch >&2 ||
      echo "bootstrap: could not fetch Wine's C runtime headers; the MSVC-mode check tries again" >&2
  fi
}

if [ "${#need[@]}" -eq 0 ]; then
  install_web
  fetch_crt
  exit 0
fi
pkgs=()
for p in "${need[@]}"; do [ "$p" = "__update__" ] || pkgs+=("$p"); done
echo "bootstrap: installing ${pkgs[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${pkgs[@]}" >&2
install_web
fetch_crt
