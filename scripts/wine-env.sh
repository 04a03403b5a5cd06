#!/usr/bin/env bash
# wine-env.sh BUILD_DIR PROGRAM [ARGS...]: runs a Windows program under Wine in the build tree's
# own prefix, preparing the prefix first if needed. CMake uses it as the cross-compiling emulator.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-vars.sh" "$1"
shift
"$here/wine-prefix.sh" "$tv_build_dir"
exec wine "$@"
