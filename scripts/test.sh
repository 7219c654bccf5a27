#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (ASan + UBSan), runs every test,
# the Windows cross build under Wine among them, then runs each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh --windows
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"
./scripts/run-fuzzers.sh
