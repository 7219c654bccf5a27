#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (ASan + UBSan) and runs every test, the Windows
# cross builds under Wine among them. Beside the tests, at the lowest priority, it builds the
# whole release preset (optimised: the compiler warns about other things there), the fuzz
# preset and the test programs of the relwithdebinfo preset; then it runs each fuzz target for a
# bounded time.
# WINGLEAF_REAL_SDK_DIR=DIR (a folder of the host's SDK headers with its check-source.sh) adds
# the check of every plug-in source against those headers; WINGLEAF_MSVC_STL_DIR=DIR (Microsoft's
# standard library headers) the check of every plug-in source in MSVC mode (scripts/msvc-check.sh).
set -euo pipefail
case "${1:-}" in
  -h|--help)
    echo "usage: scripts/test.sh"
    echo "Installs what is missing (scripts/bootstrap.sh --windows), builds the dev preset with"
    echo "ASan and UBSan and runs every CTest test (unit, integration, windows). Beside the tests,"
    echo "at the lowest priority, it builds every target of the release preset, the fuzz preset"
    echo "and the test programs of the relwithdebinfo preset"
    echo "(their output: build/background-builds.log). Then it runs each fuzz target for"
    echo "FUZZ_SECONDS seconds (default 30). It stops at the first failure."
    exit 0 ;;
esac
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh --windows
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset dev -DWINGLEAF_REAL_SDK_DIR="${WINGLEAF_REAL_SDK_DIR:-}" \
  -DWINGLEAF_MSVC_STL_DIR="${WINGLEAF_MSVC_STL_DIR:-}" >/dev/null
cmake --build --preset dev -j "$jobs"

# These builds need no test result. The tests leave cores idle while they wait on
# Wine, the browser and the programs they drive, and these builds take that time, in a session
# of their own so that a failure or a signal ends them with the run.
log=build/background-builds.log
# The third build type (-O2 warns about other things again) builds the test programs only.
test_programs="wl_plugin_tests wl_host_tests wl_integration_tests wl_presets_tests wl_lab_tests"
setsid nice -n 19 bash -c "set -e
  cmake --preset release >/dev/null
  cmake --build --preset release -j $jobs
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j $jobs
  cmake --preset relwithdebinfo >/dev/null
  cmake --build --preset relwithdebinfo -j $jobs --target $test_programs" >"$log" 2>&1 </dev/null &
builds=$!
end_builds() { kill -TERM -- "-$builds" 2>/dev/null || true; wait "$builds" 2>/dev/null || true; }
trap end_builds EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

ctest --preset dev -j "$jobs"
echo "test: waiting for the release, fuzz and relwithdebinfo builds ($log)"
if ! wait "$builds"; then
  trap - EXIT
  echo "test: the release, fuzz or relwithdebinfo build failed; the end of $log:" >&2
  tail -60 "$log" >&2
  exit 1
fi
trap - EXIT
grep -E '^\[100%\] Built target|^Error' "$log" | tail -2 || true
./scripts/run-fuzzers.sh
