#!/usr/bin/env python3
"""Measures how many small faults the test suite catches, on a fixed sample of operator changes.

  mutation-sample.py list [--seed N] [--count N]      the sample, one mutant a line, on stdout
  mutation-sample.py run MUTANTS [--out FILE] [--presets native,windows] [--without-killer]
                                                      applies each mutant in turn, rebuilds, runs
                                                      the tests, restores; writes the results

docs/mutation-baseline.txt holds the sample and its results on the tree before the test suite
was cut down; a later tree is measured on the same mutants with
  nice -n 10 scripts/mutation-sample.py run docs/mutation-baseline.txt --out /tmp/mutation-after.txt

A mutant is a file, a line number, a column, an operator and its replacement, and the original
line's text: on a later tree it is applied where that text stands (at its old line, or else the
one line of the file with that text); when the text is gone the mutant is skipped and reported.
The result of each: killed (a test failed, and failed again when rerun alone), survived, flaky
(the only failures passed when rerun), build-failed (the change does not compile), not-built or
skipped; the last four are not counted. Only the presets that compile the file are built and tested,
and in them only the tests whose programs the build changed (all of them when a program that
tests start, such as tunebale.exe or TVAPI.dll, changed). The fuzzers' timed runs are left out:
how far they get depends on the machine's load; their seed corpora are replayed.

Run it with nice -n 10 on a tree whose build presets are configured and built; the results file
is written after every mutant and a rerun resumes where it stopped.
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Product files whose code is stable, by folder; a file whose name matches EXCLUDE is left out.
SOURCES = [
    ("tvapi/src", r"^(lzss|lzss_encoder|names|genpak_reader|sort|pak_cache)\.cpp$"),
    ("converter", r"\.cpp$"),
    ("converter/xml", r"\.cpp$"),
    ("registrar", r"\.cpp$"),
    ("common/src", r"^(file_system|genpak_writer|genpak_records|text|numbered_error)\.cpp$"),
]

# (pattern, replacement). Binary operators need a space on both sides, which tells a comparison
# from a template's brackets in this code base's format.
OPERATORS = [
    (r"(?<= )<(?= )", "<="),
    (r"(?<= )<=(?= )", "<"),
    (r"(?<= )>(?= )", ">="),
    (r"(?<= )>=(?= )", ">"),
    (r"(?<= )==(?= )", "!="),
    (r"(?<= )!=(?= )", "=="),
    (r"(?<= )&&(?= )", "||"),
    (r"(?<= )\|\|(?= )", "&&"),
    (r"(?<= )\+ 1\b", "- 1"),
    (r"(?<= )- 1\b", "+ 1"),
    (r"\btrue\b", "false"),
    (r"\bfalse\b", "true"),
]

RESULT_FIELDS = ["id", "result", "killer", "file", "line", "column", "operator", "replacement", "text"]


def code_part(line):
    """The line with string and character literals blanked and any // comment cut, same columns."""
    out = []
    i, quote = 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(c if c == quote else " ")
            if c == quote:
                quote = None
        elif c in "\"'":
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < len(line) and line[i + 1].isalnum():
                out.append(" ")
            else:
                quote = c
                out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def product_files():
    files = []
    for folder, pattern in SOURCES:
        for name in sorted(os.listdir(os.path.join(ROOT, folder))):
            if re.search(pattern, name) and os.path.isfile(os.path.join(ROOT, folder, name)):
                files.append(f"{folder}/{name}")
    return files


def candidates():
    found = []
    for path in product_files():
        with open(os.path.join(ROOT, path), encoding="utf-8") as f:
            lines = f.read().split("\n")
        in_block_comment = False
        for number, line in enumerate(lines, 1):
            stripped = line.strip()
            if in_block_comment:
                in_block_comment = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block_comment = "*/" not in stripped
                continue
            if stripped.startswith(("#", "//", "static_assert")):
                continue
            code = code_part(line)
            for pattern, replacement in OPERATORS:
                for m in re.finditer(pattern, code):
                    found.append({"file": path, "line": number, "column": m.start() + 1, "operator": m.group(0),
                                  "replacement": replacement, "text": line})
    return found


def write_mutants(mutants, out, header):
    for h in header:
        out.write(f"# {h}\n")
    out.write("# " + "\t".join(RESULT_FIELDS) + "\n")
    for m in mutants:
        out.write("\t".join(str(m.get(k, "")) for k in RESULT_FIELDS) + "\n")


def read_mutants(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        for row in f.read().split("\n"):
            if not row or row.startswith("#"):
                continue
            parts = row.split("\t", len(RESULT_FIELDS) - 1)
            m = dict(zip(RESULT_FIELDS, parts))
            m["line"], m["column"] = int(m["line"]), int(m["column"])
            mutants.append(m)
    return mutants


def cmd_list(args):
    pool = candidates()
    rng = random.Random(args.seed)
    sample = sorted(rng.sample(pool, min(args.count, len(pool))), key=lambda m: (m["file"], m["line"], m["column"]))
    for i, m in enumerate(sample, 1):
        m["id"] = f"M{i:02d}"
    write_mutants(sample, sys.stdout,
                  [f"mutation sample: seed {args.seed}, {len(sample)} of {len(pool)} candidates in "
                   f"{len(product_files())} product files"])


# --- running -------------------------------------------------------------------------------

def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, text=True, errors="replace", stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kw)


def locate(m):
    """Where the mutant's line is in today's file: its line index, or None."""
    path = os.path.join(ROOT, m["file"])
    if not os.path.isfile(path):
        return None, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    at = m["line"] - 1
    if not (0 <= at < len(lines) and lines[at] == m["text"]):
        same = [i for i, line in enumerate(lines) if line == m["text"]]
        if len(same) != 1:
            return lines, None
        at = same[0]
    column = m["column"] - 1
    if lines[at][column:column + len(m["operator"])] != m["operator"]:
        return lines, None
    return lines, at


class Preset:
    def __init__(self, name):
        self.name = name
        self.build = os.path.join(ROOT, "build", name)
        with open(os.path.join(self.build, "build.ninja"), encoding="utf-8") as f:
            self.ninja = f.read()
        self.deps = run(["ninja", "-C", self.build, "-t", "deps"]).stdout
        listing = json.loads(run(["ctest", "--preset", name, "--show-only=json-v1"]).stdout)
        self.tests = {}  # name -> files of the build tree its command names
        for t in listing["tests"]:
            files = {os.path.realpath(a) for a in t.get("command", []) if a.startswith(self.build) and
                     os.path.isfile(a)}
            self.tests[t["name"]] = files
        self.test_programs = set().union(*self.tests.values())

    def compiles(self, file):
        path = os.path.join(ROOT, file)
        return path in self.ninja or path in self.deps

    def programs(self):
        """Linked programs and libraries of the build tree, with their modification times."""
        found = {}
        for folder, dirs, files in os.walk(self.build):
            dirs[:] = [d for d in dirs if d not in ("CMakeFiles", "wineprefix", "Testing", "_CPack_Packages")]
            for name in files:
                path = os.path.join(folder, name)
                if name.endswith((".exe", ".dll")) or (os.access(path, os.X_OK) and "." not in name):
                    found[os.path.realpath(path)] = os.stat(path).st_mtime_ns
        return found

    def build_and_test(self, mutant, without=None):
        """'killed', 'survived' or 'build-failed', and the first failing test; `without` leaves out
        the tests of one test program."""
        before = self.programs()
        b = run(["cmake", "--build", "--preset", self.name, "-j2"])
        if b.returncode != 0:
            return "build-failed", ""
        after = self.programs()
        changed = {p for p, t in after.items() if before.get(p) != t}
        left_out = r"^fuzz\..*\.run$" + (f"|^{re.escape(without)}(\\.|$)" if without else "")
        selection = ["-E", left_out]
        if changed <= self.test_programs:
            names = [n for n in self.tests if self.tests[n] & changed and not re.match(left_out, n)]
            if not names:
                return "survived", ""
            selection = ["-R", "^(" + "|".join(re.escape(n) for n in names) + ")$"]
        # A failure counts when the failed test fails again; one that passes when run again was a
        # flake, noted, and the tests run once more.
        flakes = []
        for attempt in range(2):
            t = run(["ctest", "--preset", self.name, "--stop-on-failure", *selection])
            with open(os.path.join(LOGS, f"{mutant}-{self.name}-{attempt}.log"), "w", encoding="utf-8") as f:
                f.write(t.stdout)
            if t.returncode == 0:
                return "survived", " ".join(f"(flake: {x})" for x in flakes)
            failed = re.findall(r"^\s*\d+ - (\S+) \(", t.stdout.split("The following tests FAILED:")[-1], re.M)
            killer = failed[0] if failed else "?"
            if run(["ctest", "--preset", self.name, "--rerun-failed"]).returncode != 0:
                return "killed", killer
            flakes.append(killer)
        return "flaky", " ".join(flakes)


PENDING = os.path.join(ROOT, "build", "mutation-pending.json")
LOGS = os.path.join(ROOT, "build", "mutation-logs")  # each mutant's test output


def restore_pending():
    """Puts back a file that a killed earlier run left mutated."""
    if os.path.exists(PENDING):
        with open(PENDING, encoding="utf-8") as f:
            p = json.load(f)
        with open(os.path.join(ROOT, p["file"]), "w", encoding="utf-8", newline="") as f:
            f.write(p["content"])
        os.remove(PENDING)
        print(f"restored {p['file']} left mutated by an earlier run", flush=True)


def cmd_run(args):
    restore_pending()
    os.makedirs(LOGS, exist_ok=True)
    mutants = read_mutants(args.mutants)
    out = args.out or args.mutants
    done = {m["id"]: m for m in read_mutants(out)} if os.path.exists(out) else {}
    presets = [Preset(n) for n in args.presets.split(",")]
    header = [f"mutation run of {args.mutants} on the tree at {ROOT}, presets {args.presets}",
              "result: killed (a test failed, and again when rerun) | survived | flaky (the only failures passed "
              "when rerun) | build-failed, not-built (no preset compiles the file), skipped (line text gone): "
              "these last three not counted"]
    start = time.time()
    for m in mutants:
        if done.get(m["id"], {}).get("result"):
            m.update(result=done[m["id"]]["result"], killer=done[m["id"]]["killer"])
            continue
        without = None
        if args.without_killer:
            # The program whose test killed it in the earlier run: does any other test kill it?
            first = re.match(r"\w+:([^ (]+)", m.get("killer", "")) if m.get("result") == "killed" else None
            if not first:
                m["result"], m["killer"] = "not-killed-before", ""
                done[m["id"]] = m
                continue
            without = first.group(1).split(".")[0]
        m["killer"] = ""
        lines, at = locate(m)
        if at is None:
            m["result"] = "skipped"
        else:
            path = os.path.join(ROOT, m["file"])
            original = "\n".join(lines)
            with open(PENDING, "w", encoding="utf-8") as f:
                json.dump({"file": m["file"], "content": original}, f)
            column = m["column"] - 1
            line = lines[at]
            lines[at] = line[:column] + m["replacement"] + line[column + len(m["operator"]):]
            try:
                with open(path, "w", encoding="utf-8", newline="") as f:
                    f.write("\n".join(lines))
                building = [p for p in presets if p.compiles(m["file"])]
                m["result"] = "survived" if building else "not-built"
                notes = []
                for p in building:
                    result, killer = p.build_and_test(m["id"], without)
                    if killer:
                        notes.append(f"{p.name}:{killer}")
                    if result != "survived":
                        m["result"] = result
                    if result in ("killed", "build-failed"):
                        break
                m["killer"] = " ".join(notes)
            finally:
                with open(path, "w", encoding="utf-8", newline="") as f:
                    f.write(original)
                os.remove(PENDING)
        print(f"{m['id']} {m['file']}:{m['line']} {m['operator']} -> {m['replacement']}: {m['result']} "
              f"{m['killer']} ({time.time() - start:.0f} s)", flush=True)
        done[m["id"]] = m
        with open(out + ".tmp", "w", encoding="utf-8") as f:
            write_mutants([done.get(x["id"], x) for x in mutants], f, header)
        os.replace(out + ".tmp", out)
    for p in presets:  # back to the tree's own programs
        run(["cmake", "--build", "--preset", p.name, "-j2"])
    counts = {r: sum(1 for m in mutants if m.get("result") == r) for r in
              ("killed", "survived", "flaky", "build-failed", "not-built", "skipped")}
    scored = counts["killed"] + counts["survived"]
    rate = f"{100 * counts['killed'] / scored:.0f} %" if scored else "n/a"
    summary = f"killed {counts['killed']} of {scored} ({rate}); " + ", ".join(
        f"{k} {v}" for k, v in counts.items() if k not in ("killed", "survived"))
    with open(out, "w", encoding="utf-8") as f:
        write_mutants(mutants, f, header + [summary])
    print(summary)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("list")
    p.add_argument("--seed", type=int, default=13)
    p.add_argument("--count", type=int, default=36)
    p.set_defaults(func=cmd_list)
    p = sub.add_parser("run")
    p.add_argument("mutants")
    p.add_argument("--out", help="results file (default: the mutants file itself)")
    p.add_argument("--presets", default="native,windows")
    p.add_argument("--without-killer", action="store_true",
                   help="rerun the mutants MUTANTS says were killed, leaving out the test program that killed "
                        "each: a survivor is caught by that program's tests alone")
    p.set_defaults(func=cmd_run)
    args = parser.parse_args()
    args.func(args)


if __name__ == "__main__":
    main()
