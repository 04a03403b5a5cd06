#!/usr/bin/env bash
# Builds everything and runs every test, on a fresh Debian machine: the native portable core
# (AddressSanitizer, UBSan, fuzzers), the Windows programs under Wine, and the benchmarks' build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$(date +%s)

scripts/install-deps.sh

echo "== native: portable core with sanitizers and fuzzers"
cmake --preset native >/dev/null
cmake --build --preset native -j2
ctest --preset native

echo "== windows: cross-built programs and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2
ctest --preset windows

echo "== bench: the benchmark programs build (docs/benchmarks.md says how to run them)"
cmake --preset bench >/dev/null
cmake --build --preset bench -j2

echo "== size: test and product lines (the suite is still being brought down to a third)"
scripts/line-counts.sh || true

echo "== all tests passed in $(( $(date +%s) - start )) s"
