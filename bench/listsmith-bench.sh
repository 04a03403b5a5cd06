#!/usr/bin/env bash
# listsmith-bench.sh [BUILD_DIR] [-- BENCH_ARGS...]: conversion time per song of the music-list
# converter over generated games of 1,000 and 5,000 songs whose images are spread over numbered
# archives. A benchmark, not a test: it prints figures (docs/listsmith.md explains them).
#
# BUILD_DIR is a Windows build tree (default build/windows); it is configured and the benchmark
# program built there, then run under Wine in the tree's prefix. Arguments after "--" go to the
# program: song counts, --runs R, --plain (see bench/listsmith_bench.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
if [ $# -gt 0 ] && [ "$1" != "--" ]; then build=$1; shift; fi
[ "${1:-}" = "--" ] && shift

(cd "$root" && cmake --preset windows -B "$build" >/dev/null)
cmake --build "$build" -j2 --target listsmith_bench >/dev/null
"$root/scripts/wine-env.sh" "$build" "$build/bin/listsmith_bench.exe" "$@"
