#!/usr/bin/env bash
# pack-bench.sh [BUILD_DIR]: how long `tunebale -cpr` takes to pack a song folder, as a ratio to
# `cp -r` of the same folder. A benchmark, not a test: it prints figures (docs/benchmarks.md).
#
# Folders:
#   corpus       the song folder of ../shared/bench/make-corpus.sh: synthesized and real audio,
#                images, charts and documents
#   audio-heavy  160 MiB made here: "coded audio" files (.ogg .mp3 .flac, 120 keysounds) filled
#                with bytes of a seeded generator, which no compressor can shrink, plus four
#                compressible XML charts
# hyperfine times, in one run: an empty console program under Wine (Wine's start-up), tunebale.exe
# -cpr on an empty folder (its fixed cost: start-up, window, two empty archives), then for each
# folder tunebale.exe -cpr and cp -r; each command after one warm-up run, which also brings every
# file into the page cache. With the medians:
#   ratio            = (tunebale -cpr - empty program) / cp -r
#   ratio past fixed = (tunebale -cpr - tunebale on the empty folder) / cp -r, what each byte costs
#
# BUILD_DIR is a Windows build tree (default build/windows); it is configured and built here, and
# its Wine session is started and stopped, so do not point it at a tree whose tests are running.
# Environment: TV_BENCH_RUNS timed runs per command (default 7); TV_BENCH_DATA where the folders
# live (default BUILD_DIR/pack-bench); TV_CORPUS_SCRIPT the corpus generator.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/windows}")
runs=${TV_BENCH_RUNS:-7}
corpus_script=${TV_CORPUS_SCRIPT:-$root/../shared/bench/make-corpus.sh}

"$root/scripts/install-deps.sh" >/dev/null
(cd "$root" && cmake --preset windows -B "$build" >/dev/null)
cmake --build "$build" -j2 --target tunebale genpak wine_empty >/dev/null
data=${TV_BENCH_DATA:-$build/pack-bench}
mkdir -p "$data"
data=$(cd "$data" && pwd)
case "$data" in *"'"*) echo "pack-bench: no quote in the data path, please: $data" >&2; exit 2 ;; esac

# ---------------------------------------------------------------- folders
# The corpus is made again only when its generator has changed since.
if [ ! -s "$data/corpus/MANIFEST.tsv" ] || [ "$corpus_script" -nt "$data/corpus/MANIFEST.tsv" ]; then
  [ -f "$corpus_script" ] ||
    { echo "pack-bench: no corpus generator at $corpus_script (set TV_CORPUS_SCRIPT)" >&2; exit 2; }
  echo "making the corpus with $corpus_script"
  bash "$corpus_script" "$data/corpus" | sed 's/^/  /'
fi

audio_version=1  # raise when the generator below changes
if [ "$(cat "$data/audio-heavy.version" 2>/dev/null)" != "$audio_version" ]; then
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
folders=(empty corpus audio-heavy)
src() { printf '%s/%s/song' "$data" "$1"; }
win() { printf 'Z:%s' "${1//\//\\}"; }
for f in "${folders[@]}"; do
  rm -rf "$(src "$f").pak" "$(src "$f").tvn" "$(src "$f").tmp" "$data/$f/copy"
done

# ---------------------------------------------------------------- timing
"$root/scripts/wine-session.sh" start "$build" >/dev/null
trap '"$root/scripts/wine-session.sh" stop "$build"' EXIT
source "$root/scripts/wine-vars.sh" "$build"

# A failed pack shows a message box that nobody answers here; the timeout ends the wait, and
# hyperfine stops at the non-zero exit. The empty program runs under the same wrapper.
wine_run="timeout 600 wine"
args=(--warmup 1 --runs "$runs" --export-json "$data/times.json" --style basic
      -n empty --prepare true "$wine_run '$build/bin/wine_empty.exe'")
for f in "${folders[@]}"; do
  s=$(src "$f")
  args+=(-n "tunebale $f" --prepare "rm -f '$s.pak' '$s.tvn'"
         "$wine_run '$build/bin/tunebale.exe' -cpr '$(win "$s")'")
  [ "$f" = empty ] ||
    args+=(-n "cp $f" --prepare "rm -rf '$data/$f/copy'" "cp -r '$s' '$data/$f/copy'")
done
hyperfine "${args[@]}" >"$data/hyperfine.log" 2>&1 || {
  cat "$data/hyperfine.log" >&2; echo "pack-bench: a timed command failed" >&2; exit 1; }

# The archives of the last run must be sound, or the times mean nothing.
for f in "${folders[@]}"; do
  for ext in pak tvn; do
    "$root/scripts/wine-env.sh" "$build" "$build/bin/genpak.exe" verify "$(win "$(src "$f").$ext")" >/dev/null ||
      { echo "pack-bench: $(src "$f").$ext does not verify" >&2; exit 1; }
  done
done

# ---------------------------------------------------------------- report
sizes=()
for f in "${folders[@]:1}"; do
  sizes+=("$f" "$(find "$(src "$f")" -type f | wc -l)" "$(du -sb "$(src "$f")" | cut -f1)"
          "$(stat -c %s "$(src "$f").pak")" "$(stat -c %s "$(src "$f").tvn")")
done
python3 - "$data/times.json" "$runs" "${sizes[@]}" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
runs, rest = sys.argv[2], sys.argv[3:]
def ms(name): return 1000 * results[name]["median"]
def spread(name): return 1000 * (max(results[name]["times"]) - min(results[name]["times"]))
empty, fixed = ms("empty"), ms("tunebale empty")
print(f"medians of {runs} runs after one warm-up (spread = slowest - fastest run)")
print(f"  empty console program under Wine  {empty:6.0f} ms  (spread {spread('empty'):.0f} ms)")
print(f"  tunebale -cpr on an empty folder  {fixed:6.0f} ms  (spread {spread('tunebale empty'):.0f} ms)")
print(f"{'folder':<12} {'files':>5} {'MB':>6} {'.pak MB':>7} {'.tvn MB':>7} {'tunebale':>9} {'spread':>7} "
      f"{'cp -r':>6} {'spread':>7} {'ratio':>6} {'past fixed':>10}")
for i in range(0, len(rest), 5):
    f, files, size, pak, tvn = rest[i], int(rest[i + 1]), int(rest[i + 2]), int(rest[i + 3]), int(rest[i + 4])
    t, c = ms("tunebale " + f), ms("cp " + f)
    print(f"{f:<12} {files:>5} {size / 1e6:>6.1f} {pak / 1e6:>7.1f} {tvn / 1e6:>7.1f} {t:>7.0f}ms "
          f"{spread('tunebale ' + f):>5.0f}ms {c:>4.0f}ms {spread('cp ' + f):>5.0f}ms "
          f"{(t - empty) / c:>5.2f}x {(t - fixed) / c:>9.2f}x")
PY
echo "hyperfine's own report: $data/hyperfine.log"
