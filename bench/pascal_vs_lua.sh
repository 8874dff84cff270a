#!/usr/bin/env bash
# The Pascal interpreter beside Lua 5.4 on the same loads, in the same run: the bench build's
# pascal_bench (Google Benchmark, best of five repetitions) and bench/pascal_ref.lua (best of
# several runs, CPU time). Prints one table: load, ours ms, Lua ms, ratio (ours/Lua), target.
#   bench/pascal_vs_lua.sh            (from ./run bench, after the bench build)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BENCH="${QBX_PASCAL_BENCH:-build/bench/bench/pascal_bench}"
LOADS=(IntegerAdditions1e6 Fib25 BubbleSort2000)
TARGET=2

log() { printf '== %s\n' "$*" >&2; }

install_debian() {
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  log "installing: $*"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

log "Pascal interpreter beside Lua 5.4: 10^6 additions, fib(25), bubble sort of 2,000"
command -v lua5.4 >/dev/null || install_debian lua5.4
if [ ! -x "$BENCH" ]; then
  log "building pascal_bench"
  cmake --preset bench >/dev/null
  cmake --build build/bench --target pascal_bench -j3 >/dev/null
fi

filter="^($(IFS='|'; echo "${LOADS[*]}"))\$"
ours="$(mktemp)"
trap 'rm -f "$ours"' EXIT
"$BENCH" --benchmark_filter="$filter" --benchmark_repetitions=5 --benchmark_format=json \
  --benchmark_out="$ours" --benchmark_out_format=json >/dev/null 2>&1 || true
LUA_TIMES="$(lua5.4 bench/pascal_ref.lua)" python3 - "$ours" "$TARGET" "${LOADS[@]}" <<'PY'
import json, os, sys
path, target, loads = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
lua = {}
for line in os.environ["LUA_TIMES"].splitlines():
    parts = line.split()
    if len(parts) >= 3 and parts[2] == "ms":
        lua[parts[0]] = float(parts[1])
ours, notes = {}, {}
try:
    runs = json.load(open(path)).get("benchmarks", [])
except (OSError, ValueError):
    runs = []
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
for run in runs:
    name = run.get("run_name", run.get("name", ""))
    if run.get("error_occurred"):
        notes[name] = run.get("error_message", "error")
        continue
    if run.get("run_type", "iteration") != "iteration":
        continue
    ms = run["cpu_time"] * scale.get(run.get("time_unit", "ns"), 1e-6)
    ours[name] = min(ms, ours.get(name, ms))
print("%-22s %10s %10s %8s %8s" % ("load", "ours ms", "Lua ms", "ratio", "target"))
for name in loads:
    l = lua.get(name)
    o = ours.get(name)
    if o is None:
        print("%-22s %10s %10s %8s %8s  (%s)" % (name, "-", "%.3f" % l if l else "-", "-",
              "%gx" % target, notes.get(name, "no result")))
        continue
    ratio = o / l if l else float("nan")
    verdict = "" if ratio <= target else "  over the target"
    print("%-22s %10.3f %10.3f %7.2fx %7gx%s" % (name, o, l if l else float("nan"), ratio, target,
                                                 verdict))
PY

# The corpus's pass count beside the speed, when a native test build is at hand.
UNIT="${QBX_UNIT_TESTS:-build/native/tests/qbx_unit}"
if [ -x "$UNIT" ]; then
  "$UNIT" --gtest_filter='PascalCorpusTest.*' 2>/dev/null | grep '^Pascal corpus:' || true
fi
