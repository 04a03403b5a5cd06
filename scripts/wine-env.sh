#!/usr/bin/env bash
# wine-env.sh BUILD_DIR PROGRAM [ARGS...]: runs a Windows program under Wine in the build tree's
# own prefix, preparing the prefix first if needed. CMake uses it as the cross-compiling emulator.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-vars.sh" "$1"
shift
"$here/wine-prefix.sh" "$tv_build_dir"

# Wine's background processes inherit the output handles of the program that started them and
# outlive it; given the caller's pipes they would keep a test runner waiting for their end. So
# the program writes to files, which are passed on when it exits.
out=$(mktemp "${TMPDIR:-/tmp}/tv-wine-out.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/tv-wine-err.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
set +e
wine "$@" </dev/null >"$out" 2>"$err"
rc=$?
set -e
cat "$out"
cat "$err" >&2
exit $rc
