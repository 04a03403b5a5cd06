#!/usr/bin/env bash
# The main job, on a fresh Debian machine: installs what is missing, cross-builds the programs,
# starts tunebale.exe under Wine on a private Xvfb display and saves a screenshot of its window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target tunebale

build="$root/build/windows"
shots="$build/screenshots"
mkdir -p "$shots"
scripts/wine-session.sh start "$build"
trap 'scripts/wine-session.sh stop "$build"' EXIT
source scripts/wine-vars.sh "$build"

wine "$build/bin/tunebale.exe" </dev/null >/dev/null 2>&1 &
window=
for _ in $(seq 150); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"tunebale.exe" "tunebale.exe"/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "tunebale.exe showed no window" >&2; exit 1; }
sleep 1  # let it paint
import -window "$window" "$shots/tunebale.png"
echo "tunebale.exe is running under Wine; its window: $shots/tunebale.png"
