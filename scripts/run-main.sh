#!/usr/bin/env bash
# The main job, on a fresh Debian machine: installs what is missing, cross-builds the programs,
# packs the bundled sample song folder with tunebale.exe in command mode (-cpr) under Wine, on a
# private Xvfb display where its window shows while it packs, shows what went into both archives
# (genpak list and verify) and checks that they give back the folder's files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target tunebale genpak

build="$root/build/windows"
sample=示例歌曲
# Packed from a copy, so the archives land in the build tree and the repository stays clean. A
# fresh copy also means no old archive, so tunebale asks no overwrite question.
work="$build/sample"
rm -rf "$work"
mkdir -p "$work"
cp -r "examples/$sample" "$work/"
folder="$work/$sample"

scripts/wine-session.sh start "$build"
trap 'scripts/wine-session.sh stop "$build"' EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }
run() { scripts/wine-env.sh "$build" "$@"; }

echo "packing $folder: tunebale.exe -cpr $(winpath "$folder")"
# A failed pack shows a message box, which nobody can answer on this display: give up in time.
if ! timeout 120 scripts/wine-env.sh "$build" "$build/bin/tunebale.exe" -cpr "$(winpath "$folder")"; then
  echo "tunebale.exe did not pack $folder" >&2
  exit 1
fi

for ext in pak tvn; do
  echo
  echo "== $folder.$ext (records: number, method, data offset, packed size, file size, name)"
  run "$build/bin/genpak.exe" list "$(winpath "$folder.$ext")"
  run "$build/bin/genpak.exe" verify "$(winpath "$folder.$ext")"
  run "$build/bin/genpak.exe" extract "$(winpath "$folder.$ext")" "$(winpath "$work/extracted")"
done
# Together the two archives give back the folder, byte for byte.
echo
diff -r "$work/extracted/$sample" "$folder"
echo "the .pak and the .tvn together hold every file of $sample unchanged"
