#!/usr/bin/env python3
"""Generates the bundled sample song folder (examples/示例歌曲 by default).

Everything in it is made here, so nothing in it is anyone else's work: a four-chord
progression as 16-bit PCM and as Ogg Vorbis, three short keysounds, a chart, a cover (BMP) and a
jacket (PNG). The audio files go into the .pak, the others into the .tvn; the BMP and the chart
compress, the PNG and the Ogg do not, so a pack of the folder shows both kinds of entry.

Python's standard library makes every file except the Ogg, which sox encodes (-R: repeatable
output). The generated files are committed; run this again only to change them:

    scripts/make-sample-song.py [OUT_DIR]
"""
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import wave
import zlib

RATE = 22050  # mono 16-bit: a few seconds stay well under 1 MB
BPM = 120
SEED = 20240607


def write_wav(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.7 * 32767 / peak  # about -3 dBFS
    frames = struct.pack("<%dh" % len(samples), *(int(round(s * scale)) for s in samples))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def note_hz(midi):
    return 440.0 * 2 ** ((midi - 69) / 12)


def chord_progression():
    # C, A minor, F, G: two beats (a second at 120 BPM) each, piano-like decay, a soft bass.
    chords = [(60, 64, 67), (57, 60, 64), (53, 57, 60), (55, 59, 62)]
    bar = int(RATE * 2 * 60 / BPM)
    out = []
    for notes in chords:
        for i in range(bar):
            t = i / RATE
            env = math.exp(-2.5 * t) * min(1.0, i / 200)
            s = 0.0
            for m in notes:
                f = note_hz(m)
                s += math.sin(2 * math.pi * f * t) + 0.3 * math.sin(4 * math.pi * f * t)
            s += 0.8 * math.sin(2 * math.pi * note_hz(notes[0] - 24) * t)
            out.append(s * env)
    return out


def keysounds(rng):
    n = int(RATE * 0.25)
    kick = [math.sin(2 * math.pi * (50 + 120 * math.exp(-30 * i / RATE)) * i / RATE)
            * math.exp(-12 * i / RATE) for i in range(n)]
    snare = [(rng.uniform(-1, 1) * 0.7 + 0.3 * math.sin(2 * math.pi * 190 * i / RATE))
             * math.exp(-18 * i / RATE) for i in range(n)]
    hat = [rng.uniform(-1, 1) * math.exp(-45 * i / RATE) for i in range(n // 2)]
    return {"kick": kick, "snare": snare, "hat": hat}


def chart_text(rng):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<chart title="示例歌曲" artist="Tavrin song tools" bpm="{BPM}" lanes="4" '
             'audio="song.ogg" cover="cover.bmp" jacket="jacket.png">',
             '  <notes>']
    beat_ms = 60000 // BPM
    for step in range(16):  # eighth notes over the four chords
        if step % 2 == 0 or rng.random() < 0.4:
            lane = rng.randrange(4)
            sound = "kick" if step % 8 == 0 else "snare" if step % 4 == 0 else "hat"
            lines.append(f'    <note time="{step * beat_ms // 2}" lane="{lane}" '
                         f'sound="keysounds/{sound}.wav"/>')
    lines += ['  </notes>', '</chart>', '']
    return "\n".join(lines)


def write_bmp(path, width, height, pixel):
    # 24-bit bottom-up BMP; rows padded to four bytes.
    row_pad = (4 - width * 3 % 4) % 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b = pixel(x, y)
            data += bytes((b, g, r))
        data += b"\0" * row_pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_png(path, width, height, pixel):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += bytes(pixel(x, y))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


def cover_pixel(x, y):
    # A record on a blue-violet gradient.
    d = math.hypot(x - 47.5, y - 47.5)
    if d < 8:
        return (230, 200, 60)
    if d < 40:
        shade = 30 + int(10 * math.cos(d * 1.5))
        return (shade, shade, shade + 10)
    return (40 + x, 20 + y // 2, 160 + y // 2)


def jacket_pixel(rng):
    # Soft noise over a gradient: a compressed image that LZSS cannot shrink further.
    def pixel(x, y):
        n = rng.randrange(48)
        return (min(255, 120 + 2 * x + n), min(255, 60 + y + n), min(255, 200 - y + n))
    return pixel


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "examples", "示例歌曲")
    if shutil.which("sox") is None:
        sys.exit("make-sample-song: sox is missing (scripts/install-deps.sh installs it)")
    rng = random.Random(SEED)

    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(os.path.join(out, "keysounds"))

    song_wav = os.path.join(out, "song.wav")
    write_wav(song_wav, chord_progression())
    subprocess.run(["sox", "-R", "-q", song_wav, "-C", "2", os.path.join(out, "song.ogg")],
                   check=True)
    for name, samples in keysounds(rng).items():
        write_wav(os.path.join(out, "keysounds", name + ".wav"), samples)
    with open(os.path.join(out, "chart.xml"), "w", encoding="utf-8", newline="\n") as f:
        f.write(chart_text(rng))
    write_bmp(os.path.join(out, "cover.bmp"), 96, 96, cover_pixel)
    write_png(os.path.join(out, "jacket.png"), 64, 64, jacket_pixel(rng))

    total = 0
    for folder, _, files in os.walk(out):
        for name in sorted(files):
            path = os.path.join(folder, name)
            total += os.path.getsize(path)
            print(f"{os.path.getsize(path):8d}  {os.path.relpath(path, out)}")
    print(f"{total:8d}  bytes in {out}")


if __name__ == "__main__":
    main()
