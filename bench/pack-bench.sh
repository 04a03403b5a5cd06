#!/usr/bin/env bash
# pack-bench.sh [BUILD_DIR]: how long packing a song folder takes, with `tunebale -cpr` under Wine
# and with the native `genpak pack`, against programs that only copy or archive the same folder.
# A benchmark, not a test: it prints figures (docs/benchmarks.md).
#
# Folders:
#   corpus       the song folder of ../shared/bench/make-corpus.sh: synthesized and real audio,
#                images, charts and documents
#   audio-heavy  160 MiB made here: "coded audio" files (.ogg .mp3 .flac, 120 keysounds) filled
#                with bytes of a seeded generator, which no compressor can shrink, plus four
#                compressible XML charts
# hyperfine times, in one run, each command after one warm-up run (which also brings every file
# into the page cache), medians:
#   under Wine   an empty console program (Wine's start-up), tunebale.exe -cpr on an empty folder
#                (its fixed cost: start-up, window, two empty archives), and for each folder
#                tunebale.exe -cpr and copy_only.exe (lists the folder and copies its files with
#                ReadFile/WriteFile: the floor of any Windows packer under Wine)
#   native       for each folder genpak pack --jobs 1 and --jobs 2 (the `bench` build: Release,
#                clang), cp -r, zip -qr -1, tar -cf and tar -cf - | zstd -1
# Each command is then run once more on its own for its peak memory (GNU time's maximum RSS; of
# a pipeline, its largest process). The archives of the last timed runs must verify, the native
# ones must equal tunebale's byte for byte, and copy_only's copy the folder, or the times mean
# nothing. The table at the end is markdown.
#
# BUILD_DIR is a Windows build tree (default build/windows); it is configured and built here, and
# its Wine session is started and stopped, so do not point it at a tree whose tests are running.
# Environment: TV_BENCH_RUNS timed runs per command (default 7); TV_BENCH_FOLDERS the folders
# timed (default "corpus audio-heavy"; a smaller set for a quick check); TV_BENCH_NATIVE the
# native build tree (default build/bench, `bench` preset); TV_BENCH_DATA where the folders live
# (default BUILD_DIR/pack-bench); TV_CORPUS_SCRIPT the corpus generator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/windows}")
native=$(realpath -m "${TV_BENCH_NATIVE:-$root/build/bench}")
runs=${TV_BENCH_RUNS:-7}
read -r -a folders <<<"${TV_BENCH_FOLDERS:-corpus audio-heavy}"
corpus_script=${TV_CORPUS_SCRIPT:-$root/../shared/bench/make-corpus.sh}
for f in "${folders[@]}"; do
  case "$f" in corpus | audio-heavy) ;; *) echo "pack-bench: no folder named $f" >&2; exit 2 ;; esac
done

"$root/scripts/install-deps.sh" >/dev/null
(cd "$root" && cmake --preset windows -B "$build" >/dev/null)
cmake --build "$build" -j2 --target tunebale wine_empty copy_only >/dev/null
(cd "$root" && cmake --preset bench -B "$native" >/dev/null)
cmake --build "$native" -j2 --target genpak >/dev/null
genpak=$native/genpak/genpak
data=${TV_BENCH_DATA:-$build/pack-bench}
mkdir -p "$data"
data=$(cd "$data" && pwd)
for p in "$data" "$build" "$native"; do
  case "$p" in *"'"*) echo "pack-bench: no quote in the data and build paths, please: $p" >&2; exit 2 ;; esac
done

# ---------------------------------------------------------------- folders
# The corpus is made again only when its generator has changed since.
if [[ " ${folders[*]} " == *" corpus "* ]] &&
  { [ ! -s "$data/corpus/MANIFEST.tsv" ] || [ "$corpus_script" -nt "$data/corpus/MANIFEST.tsv" ]; }; then
  [ -f "$corpus_script" ] ||
    { echo "pack-bench: no corpus generator at $corpus_script (set TV_CORPUS_SCRIPT)" >&2; exit 2; }
  echo "making the corpus with $corpus_script"
  bash "$corpus_script" "$data/corpus" | sed 's/^/  /'
fi

audio_version=1  # raise when the generator below changes
if [[ " ${folders[*]} " == *" audio-heavy "* ]] &&
  [ "$(cat "$data/audio-heavy.version" 2>/dev/null)" != "$audio_version" ]; then
  echo "making the audio-heavy folder"
  rm -rf "$data/audio-heavy" "$data/audio-heavy.version"
  python3 - "$data/audio-heavy/song" <<'PY'
import os, random, sys
out = sys.argv[1]
rng = random.Random(150)  # fixed seed: the same bytes on every machine
MiB = 1 << 20

def coded_audio(path, size):
    # Compressed audio is close to random bytes; these are random bytes outright.
    with open(path, "wb") as f:
        left = size
        while left:
            n = min(left, 4 * MiB)
            f.write(rng.randbytes(n))
            left -= n

os.makedirs(os.path.join(out, "keysounds"))
os.makedirs(os.path.join(out, "charts"))
for name, mib in (("bgm.ogg", 56), ("bgm.mp3", 44), ("bgm.flac", 32), ("preview.ogg", 6)):
    coded_audio(os.path.join(out, name), mib * MiB)
for i in range(1, 121):  # 22.5 MiB together
    coded_audio(os.path.join(out, "keysounds", f"key{i:03d}.ogg"), rng.randrange(96, 288) * 1024)
for level, density in (("easy", 0.3), ("normal", 0.5), ("hard", 0.8), ("extreme", 1.0)):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<chart difficulty="{level}" bpm="150" lanes="7">', "  <notes>"]
    for step in range(180 * 150 // 60 * 4):  # sixteenth notes over three minutes
        if rng.random() < density * 0.6:
            lane = rng.randrange(7)
            lines.append(f'    <note time="{step * 100}" lane="{lane}" '
                         f'sound="keysounds/key{rng.randrange(1, 121):03d}.ogg"/>')
    lines += ["  </notes>", "</chart>", ""]
    with open(os.path.join(out, "charts", level + ".xml"), "w") as f:
        f.write("\n".join(lines))
PY
  echo "$audio_version" > "$data/audio-heavy.version"
fi

mkdir -p "$data/empty/song"
src() { printf '%s/%s/song' "$data" "$1"; }
win() { printf 'Z:%s' "${1//\//\\}"; }
# The native pack reads the same files through a tree of hard links, so that its archives land
# beside tunebale's instead of replacing them, and the two can be compared after the run.
twin() { printf '%s/%s/native/song' "$data" "$1"; }
yardsticks=(copy wincopy song.zip song.tar song.tar.zst)
for f in empty "${folders[@]}"; do
  s=$(src "$f")
  rm -rf "$s.pak" "$s.tvn" "$s.tmp" "$data/$f/native" "${yardsticks[@]/#/$data/$f/}"
done
for f in "${folders[@]}"; do
  mkdir -p "$data/$f/native"
  cp -al "$(src "$f")" "$(twin "$f")"
done

# ---------------------------------------------------------------- timing
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
source "$root/scripts/wine-vars.sh" "$build"

# Every command with what it leaves removed before each run, outside the timing: the archives
# (so tunebale asks no overwrite question and genpak replaces nothing), the copies, the zip and
# tar files. Names are "what @ folder" for the report.
names=() preps=() cmds=()
add() { names+=("$1"); preps+=("$2"); cmds+=("$3"); }
# A failed pack shows a message box that nobody answers here; the timeout ends the wait, and
# hyperfine stops at the non-zero exit. The other Wine programs run under the same wrapper.
wine_run="timeout 600 wine"
add "empty program (Wine) @ -" true "$wine_run '$build/bin/wine_empty.exe'"
add "tunebale -cpr (Wine) @ empty" "rm -f '$(src empty).pak' '$(src empty).tvn'" \
    "$wine_run '$build/bin/tunebale.exe' -cpr '$(win "$(src empty)")'"
for f in "${folders[@]}"; do
  s=$(src "$f") t=$(twin "$f") d=$data/$f
  add "tunebale -cpr (Wine) @ $f" "rm -f '$s.pak' '$s.tvn'" "$wine_run '$build/bin/tunebale.exe' -cpr '$(win "$s")'"
  add "copy_only (Wine) @ $f" "rm -rf '$d/wincopy'" \
      "$wine_run '$build/bin/copy_only.exe' '$(win "$s")' '$(win "$d/wincopy")'"
  for j in 1 2; do
    add "genpak pack --jobs $j @ $f" "rm -f '$t.pak' '$t.tvn'" "'$genpak' pack --force --quiet --jobs $j '$t'"
  done
  add "cp -r @ $f" "rm -rf '$d/copy'" "cp -r '$s' '$d/copy'"
  add "zip -r -1 @ $f" "rm -f '$d/song.zip'" "cd '$d' && zip -qr -1 song.zip song"
  add "tar -cf @ $f" "rm -f '$d/song.tar'" "tar -cf '$d/song.tar' -C '$d' song"
  add "tar | zstd -1 @ $f" "rm -f '$d/song.tar.zst'" "tar -cf - -C '$d' song | zstd -1 -q -o '$d/song.tar.zst'"
done

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
args=(--warmup 1 --runs "$runs" --export-json "$data/times.json" --style basic)
for i in "${!names[@]}"; do args+=(-n "${names[$i]}" --prepare "${preps[$i]}" "${cmds[$i]}"); done
hyperfine "${args[@]}" >"$data/hyperfine.log" 2>&1 || {
  cat "$data/hyperfine.log" >&2; echo "pack-bench: a timed command failed" >&2; exit 1; }
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The outputs of the last runs must be sound, or the times mean nothing: every archive verifies,
# the native ones are tunebale's byte for byte (the same work on both sides), and copy_only copied.
fail() { echo "pack-bench: $*" >&2; exit 1; }
for f in empty "${folders[@]}"; do
  for ext in pak tvn; do
    "$genpak" verify "$(src "$f").$ext" >/dev/null || fail "$(src "$f").$ext does not verify"
  done
done
for f in "${folders[@]}"; do
  for ext in pak tvn; do
    cmp -s "$(src "$f").$ext" "$(twin "$f").$ext" || fail "the native $(twin "$f").$ext differs from tunebale's"
  done
  # Of two names that differ only in case, a copy under Wine keeps one: diff leaves such names out.
  twins=()
  while IFS= read -r name; do twins+=(-x "$name"); done < <(
    find "$(src "$f")" -type f | sort -f | uniq -Di | xargs -r -d '\n' -n 1 basename)
  diff -rq "${twins[@]}" "$(src "$f")" "$data/$f/wincopy" >/dev/null ||
    fail "copy_only's copy of $(src "$f") differs from it"
done

# Peak memory: each command once more, alone (the page cache is warm from the timing).
: >"$data/peak-rss.tsv"
for i in "${!names[@]}"; do
  sh -c "${preps[$i]}"
  /usr/bin/time -f %M -o "$data/rss" sh -c "${cmds[$i]}" >/dev/null || fail "${names[$i]}: failed in its memory run"
  printf '%s\t%s\n' "${names[$i]}" "$(tail -n 1 "$data/rss")" >>"$data/peak-rss.tsv"
done

# ---------------------------------------------------------------- report
sizes=()
for f in "${folders[@]}"; do
  s=$(src "$f")
  sizes+=("$f" "$(find "$s" -type f | wc -l)" "$(du -sb "$s" | cut -f1)" "$(stat -c %s "$s.pak")"
          "$(stat -c %s "$s.tvn")" "$(stat -c %s "$data/$f/song.zip")" "$(stat -c %s "$data/$f/song.tar.zst")")
  rm -rf "${yardsticks[@]/#/$data/$f/}"  # 5x the folder, of no further use
done
python3 - "$data/times.json" "$data/peak-rss.tsv" "$runs" "$load_before" "$load_after" "${sizes[@]}" <<'PY'
import json, sys
times = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
rss = dict(line.rstrip("\n").split("\t") for line in open(sys.argv[2]))
runs, load_before, load_after, rest = sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:]
folders = [rest[i:i + 7] for i in range(0, len(rest), 7)]
names = [f[0] for f in folders]

def ms(what, folder):
    r = times.get(f"{what} @ {folder}")
    return None if r is None else 1000 * r["median"]

def cell(text): return text.replace("|", "\\|")

print(f"Medians of {runs} timed runs after one warm-up; spread = slowest - fastest run; peak RSS of one "
      f"more run on its own (of a pipeline, its largest process). Load average {load_before} before, "
      f"{load_after} after.\n")
print("| folder | files | MB | .pak MB | .tvn MB | .zip MB | .tar.zst MB |")
print("|---|--:|--:|--:|--:|--:|--:|")
for f, files, *sizes in folders:
    print(f"| {f} | {files} | " + " | ".join(f"{int(b) / 1e6:.1f}" for b in sizes) + " |")

print("\n| command | folder | median ms | spread ms | peak RSS MiB |")
print("|---|---|--:|--:|--:|")
for name, r in times.items():
    what, folder = name.rsplit(" @ ", 1)
    spread = 1000 * (max(r["times"]) - min(r["times"]))
    print(f"| {cell(what)} | {folder} | {1000 * r['median']:.0f} | {spread:.0f} | {int(rss[name]) / 1024:.1f} |")

empty, fixed = ms("empty program (Wine)", "-"), ms("tunebale -cpr (Wine)", "empty")
def ratio(f, top, bottom):
    try:
        return f"{top(f) / bottom(f):.2f}x"
    except TypeError:  # a command not timed in this run
        return "-"
def pack(jobs): return lambda f: ms(f"genpak pack --jobs {jobs}", f)
def plain(what): return lambda f: ms(what, f)
tunebale_past_fixed = lambda f: ms("tunebale -cpr (Wine)", f) - fixed
copy_floor = lambda f: ms("copy_only (Wine)", f) - empty
rows = [
    ("(tunebale - tunebale on the empty folder) / (copy_only - empty program)", tunebale_past_fixed, copy_floor,
     "audio-heavy <= 1.3x"),
    ("(tunebale - empty program) / cp -r", lambda f: ms("tunebale -cpr (Wine)", f) - empty, plain("cp -r"), ""),
    ("(tunebale - tunebale on the empty folder) / cp -r", tunebale_past_fixed, plain("cp -r"), ""),
    ("(copy_only - empty program) / cp -r: the Wine floor", copy_floor, plain("cp -r"), ""),
    ("genpak --jobs 2 / cp -r", pack(2), plain("cp -r"), "audio-heavy <= 1.5x"),
    ("genpak --jobs 2 / zip -r -1", pack(2), plain("zip -r -1"), "corpus < 1x"),
    ("genpak --jobs 1 / --jobs 2", pack(1), pack(2), "corpus >= 1.6x"),
    ("genpak --jobs 2 / tar -cf", pack(2), plain("tar -cf"), "for scale"),
    ("genpak --jobs 2 / tar | zstd -1", pack(2), plain("tar | zstd -1"), "for scale"),
]
print("\n| ratio of medians | " + " | ".join(names) + " | target |")
print("|---|" + "--:|" * len(names) + "---|")
for label, top, bottom, target in rows:
    print(f"| {cell(label)} | " + " | ".join(ratio(f, top, bottom) for f in names) + f" | {target} |")
PY
echo "hyperfine's own report: $data/hyperfine.log"
