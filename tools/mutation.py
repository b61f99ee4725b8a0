#!/usr/bin/env python3
"""Mutation check: plants one small fault at a time in src/*.cpp, rebuilds the
build tree incrementally, runs ctest, and counts the faults the suite catches.

  tools/mutation.py [--build DIR] [--draw N] [--count N] [--list] [--only TEXT] [--by-test]
                    [--exclude REGEX] [--slow REGEX]

Faults: a comparison or logic operator swapped (== !=, < <=, > >=, && ||),
a binary + or - swapped, an integer constant one up or one down, true/false and
kTrue/kFalse swapped. Comments, strings and preprocessor lines are left alone.
The sites are enumerated in a fixed order and a sample is drawn from them by a
numbered draw, so the same draw on the same sources plants the same faults.

A mutant is killed when the build succeeds and some test fails (or times out),
survives when every test passes, and is not compiled when the build fails.
The kill rate counts the compiled mutants only. Every result is also written,
one line each, to DIR/mutation-results.txt.

With --by-test every suite runs to its end for each mutant, and the line of a
killed mutant names the test functions that failed: a function that is the only
one to catch some mutant earns its lines; one that never is may be redundant.
"""
import argparse
import os
import random
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

SWAPS = {
    "==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">",
    "&&": "||", "||": "&&", "+": "-", "-": "+",
}
# Binary operators are written with a blank on each side (clang-format); template
# brackets, ++, ->, << and unary signs are not, so they are never taken.
OPERATOR = re.compile(r"(?<= )(==|!=|<=|>=|&&|\|\||<|>|\+|-)(?= )")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
WORDS = {"true": "false", "false": "true", "kTrue": "kFalse", "kFalse": "kTrue"}
WORD = re.compile(r"\b(true|false|kTrue|kFalse)\b")


def code_only(lines):
    """The lines with comments, string and character literals blanked out."""
    out = []
    in_block = False
    for line in lines:
        chars = list(line)
        i = 0
        quote = None
        while i < len(chars):
            c = chars[i]
            nxt = chars[i + 1] if i + 1 < len(chars) else ""
            if in_block:
                if c == "*" and nxt == "/":
                    chars[i] = chars[i + 1] = " "
                    in_block = False
                    i += 2
                    continue
                chars[i] = " "
            elif quote:
                if c == "\\":
                    chars[i] = " "
                    if i + 1 < len(chars):
                        chars[i + 1] = " "
                    i += 2
                    continue
                if c == quote:
                    quote = None
                chars[i] = " "
            elif c == "/" and nxt == "/":
                for j in range(i, len(chars)):
                    chars[j] = " "
                break
            elif c == "/" and nxt == "*":
                chars[i] = chars[i + 1] = " "
                in_block = True
                i += 2
                continue
            elif c in "\"'":
                quote = c
                chars[i] = " "
            i += 1
        text = "".join(chars)
        out.append("" if text.lstrip().startswith("#") else text)
    return out


def sites():
    """Every place a fault can be planted: (file, line, column, old, new)."""
    found = []
    for path in sorted((ROOT / "src").rglob("*.cpp")):
        rel = path.relative_to(ROOT).as_posix()
        lines = path.read_text(encoding="utf-8").split("\n")
        for n, code in enumerate(code_only(lines)):
            for m in OPERATOR.finditer(code):
                found.append((rel, n, m.start(), m.group(1), SWAPS[m.group(1)]))
            for m in NUMBER.finditer(code):
                v = int(m.group(1))
                found.append((rel, n, m.start(), m.group(1), str(v + 1)))
                if v > 0:
                    found.append((rel, n, m.start(), m.group(1), str(v - 1)))
            for m in WORD.finditer(code):
                found.append((rel, n, m.start(), m.group(1), WORDS[m.group(1)]))
    return found


def run(cmd, timeout):
    try:
        return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return None


def build(build_dir):
    return run(["cmake", "--build", str(build_dir), "-j", str(os.cpu_count() or 2)], 1800) == 0


def tests_pass(build_dir, timeout, exclude, slow=None):
    """Whether every suite passes; the suites matching slow run only once all the others have passed."""
    cmd = ["ctest", "--test-dir", str(build_dir), "-j", str(os.cpu_count() or 2), "--stop-on-failure",
           "--timeout", str(timeout)]
    left_out = "|".join(x for x in (exclude, slow) if x)
    if run(cmd + (["-E", left_out] if left_out else []), timeout * 4) != 0:
        return False
    if slow and run(cmd + ["-R", slow] + (["-E", exclude] if exclude else []), timeout * 4) != 0:
        print("      caught by a slow suite only", flush=True)
        return False
    return True


def failing_tests(build_dir, timeout, exclude):
    """Every suite to its end: the failed test functions as suite:function (suite alone for a crash), or None
    when all passed."""
    cmd = ["ctest", "--test-dir", str(build_dir), "-j", str(os.cpu_count() or 2), "--output-on-failure",
           "--timeout", str(timeout)] + (["-E", exclude] if exclude else [])
    try:
        done = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout * 8)
    except subprocess.TimeoutExpired:
        return ["(timeout)"]
    if done.returncode == 0:
        return None
    text = done.stdout.decode("utf-8", "replace")
    failed = []
    suite = "?"
    for line in text.split("\n"):
        if m := re.search(r"Test +#\d+: (\S+) ", line):
            suite = m.group(1)
        if m := re.match(r"(?:FAIL!|QFATAL|XPASS) +: \w+::(\w+)\(", line):
            failed.append(f"{suite}:{m.group(1)}")
        elif m := re.search(r"e2e: FAIL: (.*)", line):
            failed.append(f"e2e:{m.group(1)[:40]}")
    for m in re.finditer(r"\d+ - (\S+) \(", text[text.rfind("The following tests FAILED"):]):
        if not any(f.startswith(m.group(1) + ":") for f in failed):
            failed.append(m.group(1))
    return sorted(set(failed))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", default=str(ROOT / "build-ci"), help="configured build tree (default build-ci)")
    ap.add_argument("--draw", type=int, default=2026, help="which sample: the same number, the same faults")
    ap.add_argument("--count", type=int, default=100)
    ap.add_argument("--timeout", type=int, default=300, help="seconds per test")
    ap.add_argument("--only", help="keep the sites whose file path contains this text")
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--by-test", action="store_true", help="name the test functions that catch each mutant")
    ap.add_argument("--exclude", help="leave out the suites that match this ctest regex (the slow runs of the real program, say)")
    ap.add_argument("--slow", help="run the suites that match this ctest regex only for the mutants the others miss")
    args = ap.parse_args()
    build_dir = Path(args.build).resolve()

    every = sites()
    if args.only:
        every = [s for s in every if args.only in s[0]]
    sample = random.Random(args.draw).sample(every, min(args.count, len(every)))
    print(f"mutation: {len(every)} sites, draw {args.draw}, {len(sample)} mutants", flush=True)
    if args.list:
        for i, (rel, n, col, old, new) in enumerate(sample, 1):
            print(f"{i:3} {rel}:{n + 1}:{col + 1} {old} -> {new}")
        return 0

    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    if not build(build_dir) or not tests_pass(build_dir, args.timeout, args.exclude, args.slow):
        print("mutation: the unchanged sources do not build or do not pass their tests", file=sys.stderr)
        return 2

    counts = {"killed": 0, "survived": 0, "not compiled": 0}
    survivors = []
    report = open(build_dir / "mutation-results.txt", "w", encoding="utf-8")
    started = time.time()
    for i, (rel, n, col, old, new) in enumerate(sample, 1):
        path = ROOT / rel
        original = path.read_text(encoding="utf-8")
        lines = original.split("\n")
        line = lines[n]
        assert line[col:col + len(old)] == old, (rel, n, col, old)
        lines[n] = line[:col] + new + line[col + len(old):]
        path.write_text("\n".join(lines), encoding="utf-8")
        caught = []
        try:
            if not build(build_dir):
                result = "not compiled"
            elif (caught := failing_tests(build_dir, args.timeout, args.exclude) if args.by_test else
                  (None if tests_pass(build_dir, args.timeout, args.exclude, args.slow) else [])) is None:
                result = "survived"
                survivors.append(f"{rel}:{n + 1}: {line.strip()}   [{old} -> {new}]")
            else:
                result = "killed"
        finally:
            path.write_text(original, encoding="utf-8")  # a new mtime: the next build recompiles it
        counts[result] += 1
        entry = f"{i:3} {result:12} {rel}:{n + 1}:{col + 1} {old} -> {new}   {line.strip()}"
        if caught:
            entry += "\n      caught by " + " ".join(caught)
        print(entry, flush=True)
        report.write(entry + "\n")
        report.flush()
    build(build_dir)

    compiled = counts["killed"] + counts["survived"]
    rate = 100.0 * counts["killed"] / compiled if compiled else 0.0
    summary = (f"mutation: killed {counts['killed']}, survived {counts['survived']}, not compiled "
               f"{counts['not compiled']}; kill rate {rate:.1f} % of {compiled} compiled "
               f"({time.time() - started:.0f} s)")
    print(summary)
    report.write(summary + "\n")
    if survivors:
        print("survivors:")
        for s in survivors:
            print("  " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
