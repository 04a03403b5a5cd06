#!/usr/bin/env bash
# pack_differential.sh SOURCE_DIR WINDOWS_BUILD NATIVE_GENPAK
# The one pack engine through its two front ends: tunebale.exe -cpr (and -cprx) under Wine and the
# native genpak pack (--xor) on copies of one folder must write the same bytes. The folder holds
# CJK, Korean and emoji names, "sub" beside "sub.txt", empty files and upper-case extensions.
set -euo pipefail
source_dir=$1 build=$2 genpak=$3
if [ ! -x "$genpak" ]; then
  echo "no native genpak at $genpak (build the native preset first)"
  exit 77
fi
work=$(mktemp -d "$build/pack-differential.XXXXXX")
trap 'rm -rf "$work"' EXIT
make_song() {
  local song=$1
  mkdir -p "$song/sub/키" "$song/🎵 emoji" "$song/空"
  head -c 7000 /dev/urandom > "$song/song.OGG"
  head -c 3000 /dev/urandom > "$song/sub/키/kick.Wav"
  seq 1 2000 | sed 's/.*/<Note Time="&" Lane="3"\/>/' > "$song/chart.xml"
  printf 'sub.txt beside the folder sub\n' > "$song/sub.txt"
  : > "$song/empty.png"
  : > "$song/空/nothing.MP3"
  cp "$song/chart.xml" "$song/🎵 emoji/谱面.XML"
}
make_song "$work/windows/歌曲 한국어 🎵"
mkdir -p "$work/native"
cp -a "$work/windows/歌曲 한국어 🎵" "$work/native/"
for xor in "" x; do
  rm -f "$work"/*/*.pak "$work"/*/*.tvn
  winpath="Z:$(printf '%s' "$work/windows/歌曲 한국어 🎵" | sed 's|/|\\|g')"
  timeout 120 "$source_dir/scripts/wine-env.sh" "$build" "$build/bin/tunebale.exe" "-cpr$xor" "$winpath"
  "$genpak" pack --quiet --jobs 3 ${xor:+--xor} "$work/native/歌曲 한국어 🎵"
  for ext in pak tvn; do
    if ! cmp "$work/windows/歌曲 한국어 🎵.$ext" "$work/native/歌曲 한국어 🎵.$ext"; then
      echo "tunebale -cpr$xor and genpak pack wrote different .$ext files"
      exit 1
    fi
  done
  echo "-cpr$xor: both front ends wrote the same .pak and .tvn"
done
