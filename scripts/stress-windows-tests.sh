#!/usr/bin/env bash
# stress-windows-tests.sh [RUNS]: runs the whole Windows test suite RUNS times (20 by default) in a
# row while a clean rebuild of the native tree loops beside it, so the tests meet a loaded machine
# as CI does. Stops at the first failed run and keeps its log; a flake found here is a failing test.
# Needs the windows and native presets configured and built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-20}
logs="$root/build/stress"
mkdir -p "$logs"

# The load: the native tree rebuilt from clean, over and over, at a lower priority than the tests,
# in its own process group so that it all stops with this script.
setsid bash -c 'while true; do nice -n 5 cmake --build --preset native --clean-first -j2 || true; done' \
  >"$logs/load.log" 2>&1 </dev/null &
load=$!
trap 'kill -- -$load 2>/dev/null || true; wait 2>/dev/null || true
      cmake --build --preset native -j2 >/dev/null 2>&1 || true' EXIT

for i in $(seq "$runs"); do
  start=$(date +%s)
  if ctest --preset windows >"$logs/run-$i.log" 2>&1; then
    echo "run $i of $runs: passed in $(( $(date +%s) - start )) s (load $(cut -d' ' -f1 /proc/loadavg))"
  else
    echo "run $i of $runs: FAILED, log in $logs/run-$i.log"
    grep -E '\*\*\*|Failed|FAILED' "$logs/run-$i.log" | head -20
    exit 1
  fi
done
echo "all $runs runs passed"
