#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (ASan + UBSan), runs every test,
# the Windows cross builds under Wine among them, builds the whole release preset (optimised: the
# compiler warns about other things there), then runs each fuzz target for a bounded time.
# WINGLEAF_REAL_SDK_DIR=DIR (a folder of the host's SDK headers with its check-source.sh) adds
# the check of every plug-in source against those headers.
set -euo pipefail
case "${1:-}" in
  -h|--help)
    echo "usage: scripts/test.sh"
    echo "Installs what is missing (scripts/bootstrap.sh --windows), builds the dev preset with"
    echo "ASan and UBSan, runs every CTest test (unit, integration, windows), builds every"
    echo "target of the release preset, and then runs each fuzz target for FUZZ_SECONDS seconds"
    echo "(default 30)."
    exit 0 ;;
esac
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh --windows
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset dev -DWINGLEAF_REAL_SDK_DIR="${WINGLEAF_REAL_SDK_DIR:-}" >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
./scripts/run-fuzzers.sh
