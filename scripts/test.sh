#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (ASan + UBSan), runs every test,
# the Windows cross builds under Wine among them, then runs each fuzz target for a bounded time.
# WINGLEAF_REAL_SDK_DIR=DIR (a folder of the host's SDK headers with its check-source.sh) adds
# the check of every plug-in source against those headers.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh --windows
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset dev -DWINGLEAF_REAL_SDK_DIR="${WINGLEAF_REAL_SDK_DIR:-}" >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"
./scripts/run-fuzzers.sh
