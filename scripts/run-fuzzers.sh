#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time (FUZZ_SECONDS, default 30),
# as many at once as there are cores.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
shopt -s nullglob
targets=(build/fuzz/fuzz/*/fuzz_*)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "run-fuzzers: no fuzz targets built" >&2
  exit 0
fi
# Each target runs in the background, as many at once as there are cores; a fault in any of
# them fails the run once all have ended.
fuzz_one() {
  local t=$1 name corpus seeds=()
  name=$(basename "$t")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "fuzz: $name for ${seconds}s" >&2
  if ! "$t" -max_total_time="$seconds" -print_final_stats=0 "$corpus" "${seeds[@]}" \
       >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name FOUND A FAULT; see build/fuzz/$name.log" >&2
    tail -40 "build/fuzz/$name.log" >&2
    return 1
  fi
}
failed=0
running=0
for t in "${targets[@]}"; do
  [ -x "$t" ] || continue
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_one "$t" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
