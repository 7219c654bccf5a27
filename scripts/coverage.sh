#!/usr/bin/env bash
# Measures what the tests exercise: builds the coverage preset (GCC counters), runs every test
# that runs product code on this machine (not the Windows ones under Wine, nor the compile-only
# portability checks) and writes gcovr's reports of source/, host/ and tools/ under
# build/coverage/report/.
set -euo pipefail
report_only=0
case "${1:-}" in
  -h|--help)
    echo "usage: scripts/coverage.sh [--report]"
    echo "Installs gcovr if missing (scripts/bootstrap.sh --coverage), builds the coverage preset"
    echo "into build/coverage, runs every CTest test but the Windows ones and the compile-only"
    echo "portability checks, and writes"
    echo "  build/coverage/report/index.html    lines and branches, file by file, with the source"
    echo "  build/coverage/report/coverage.txt  lines per file"
    echo "  build/coverage/report/summary.txt   lines and branches per folder"
    echo "Branches exclude the edges only exceptions take, those the compiler cannot reach and"
    echo "those on lines of closing brackets only (a closure's compiler-made copies and ends)."
    echo "Exits 1 when a test failed (the reports are written all the same)."
    echo "--report writes the reports from the counters already there, without building or"
    echo "running anything: run single tests of build/coverage by hand first (the counters of"
    echo "every run since the last full one add up)."
    exit 0 ;;
  --report) report_only=1 ;;
  "") ;;
  *) echo "coverage: unknown option '$1' (see --help)" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh --coverage
jobs=$(nproc 2>/dev/null || echo 2)
build=build/coverage
report=$build/report

# Objects that left the build (a removed target, a source moved to another target) leave their
# notes behind, and gcovr would read them as product code or stop on them: only the notes of the
# objects the build has now are kept.
drop_stale_notes() {
  python3 - "$build" <<'PY'
import json, os, shlex, sys
build = os.path.abspath(sys.argv[1])
current = set()
for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
    out = entry.get("output")
    if out is None:
        words = shlex.split(entry["command"])
        out = words[words.index("-o") + 1]
    current.add(os.path.splitext(os.path.join(entry["directory"], out))[0])
for folder, _, files in os.walk(build):
    for name in files:
        stem, ext = os.path.splitext(name)
        if ext in (".gcno", ".gcda") and os.path.join(folder, stem) not in current:
            os.remove(os.path.join(folder, name))
PY
}

tests_status=0
if [ "$report_only" -eq 0 ]; then
  cmake --preset coverage >/dev/null
  cmake --build --preset coverage -j "$jobs"
  # Counters add up across runs: start from none.
  find "$build" -name '*.gcda' -delete
  ctest --preset coverage -j "$jobs" || tests_status=$?
elif [ ! -d "$build" ]; then
  echo "coverage: no $build yet; run scripts/coverage.sh without --report first" >&2
  exit 1
fi
drop_stale_notes
rm -rf "$report"
mkdir -p "$report"

echo "coverage: reading the counters" >&2
# A line of closing brackets only (the end of a lambda, of a call taking one) holds no decision:
# GCC puts there the branches of the closure's copies and destructors, which no test can choose.
gcovr --root . --object-directory "$build" -j "$jobs" \
  --filter 'source/' --filter 'host/' --filter 'tools/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --exclude-branches-by-pattern '\s*[})\]][})\];,]*\s*$' \
  --html-details "$report/index.html" --txt "$report/coverage.txt" \
  --json-summary "$report/summary.json"

python3 - "$report/summary.json" >"$report/summary.txt" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
totals = {}
for f in files:
    for key in (f["filename"].split("/", 1)[0], "all"):
        t = totals.setdefault(key, [0, 0, 0, 0])
        t[0] += f["line_covered"]; t[1] += f["line_total"]
        t[2] += f["branch_covered"]; t[3] += f["branch_total"]
def pct(covered, total):
    return f"{100.0 * covered / total:5.1f} %" if total else "    -  "
print(f"{'folder':<8} {'lines':>22} {'branches':>22}")
for key in sorted(k for k in totals if k != "all") + ["all"]:
    lc, lt, bc, bt = totals[key]
    print(f"{key + ('/' if key != 'all' else ''):<8} {pct(lc, lt)} {lc:6}/{lt:<6} {pct(bc, bt)} {bc:6}/{bt:<6}")
PY
cat "$report/summary.txt"
echo "coverage: reports in $report/ (open index.html)" >&2
if [ "$tests_status" -ne 0 ]; then
  echo "coverage: some tests failed; the figures count what ran" >&2
  exit 1
fi
