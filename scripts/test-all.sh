#!/usr/bin/env bash
# Builds everything and runs every test, on a fresh Debian machine: the native portable core
# (AddressSanitizer, UBSan, fuzzers), the Windows programs under Wine, and the benchmarks' build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)

scripts/install-deps.sh

# The Wine prefix takes a while to make and mostly waits; it is made beside the native build, and
# the Windows tests wait for it (the prefix script locks) if it is not ready yet.
mkdir -p build/windows
scripts/wine-prefix.sh build/windows >build/wine-prefix.log 2>&1 &
prefix=$!

echo "== native: portable core with sanitizers and fuzzers"
cmake --preset native >/dev/null
cmake --build --preset native -j2
ctest --preset native

echo "== windows: cross-built programs and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2
if ! wait $prefix; then
  echo "the Wine prefix could not be made:" >&2
  cat build/wine-prefix.log >&2
  exit 1
fi
ctest --preset windows

echo "== bench: the benchmark programs build (docs/benchmarks.md says how to run them)"
cmake --preset bench >/dev/null
cmake --build --preset bench -j2

echo "== size: test lines at most a third of product lines"
scripts/line-counts.sh

echo "== all tests passed in $(( $(date +%s) - start )) s"
