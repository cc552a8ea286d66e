#!/usr/bin/env python3
"""ARM instructions per operation of bench/arm_ops.cpp, counted under qemu-arm.

For each operation the driver lists, runs the driver twice in the emulator
with a trace of one line per executed instruction (-singlestep -d
exec,nochain): n = period, then n = (REPEAT + 1) * period. Start-up, set-up and
exit are the same in both runs, so the difference of the two counts, divided
by the difference of the n and by the operation's unit, is the cost of one
operation on one element. The runs get an empty environment and an n of fixed
width, and the driver's RUNPATH names every library it needs, so the host's
ld.so.cache is never read: the counts do not move with the machine or the shell.

  --budget FILE   the gate: every libzuc and facade operation must have a
                  budget in FILE and stay within it; fails naming each one that
                  does not. --update-budget rewrites FILE from this run.
  --json FILE     every count, and the instructions each operation spent in the
                  libgcc helpers of the library it called (for bench/report.py).
"""

import argparse
import collections
import concurrent.futures
import json
import math
import re
import shlex
import subprocess
import sys

REPEAT = 4
TRACE = re.compile(r"Trace \d+: \S+ \[[0-9a-f]+/([0-9a-f]+)/")


def trace(args, name, n):
    """Executed instructions of one run, and per address when asked for."""
    cmd = ["env", "-i"] + shlex.split(args.emulator) + [
        "-singlestep", "-d", "exec,nochain", "-D", "/dev/stdout", args.driver, name, f"{n:010d}"]
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    count, by_pc = 0, collections.Counter()
    for line in proc.stdout:
        if line.startswith("Trace"):
            count += 1
            if args.json:
                by_pc[int(TRACE.match(line).group(1), 16)] += 1
    # The driver writes where it loaded each library to stderr.
    err = proc.stderr.read()
    if proc.wait() != 0:
        sys.exit(f"{' '.join(cmd)} failed:\n{err}")
    bases = {path: int(base, 16) for path, base in re.findall(r"^base (\S+) (\S+)$", err, re.M)}
    return count, by_pc, bases


def helper_ranges(bases, prefix):
    """(start, end, name) of each libgcc helper linked into the loaded libraries."""
    libgcc = subprocess.run([prefix + "gcc", "-print-libgcc-file-name"], check=True,
                            capture_output=True, text=True).stdout.strip()
    names = {line.split()[-1] for line in subprocess.run(
        [prefix + "nm", "--defined-only", libgcc], check=True, capture_output=True,
        text=True).stdout.splitlines() if re.match(r"\S+ [Tt] ", line)}
    ranges = []
    for path, base in bases.items():
        symbols = [line.split() for line in subprocess.run(
            [prefix + "nm", "-S", "-n", "--defined-only", path], check=True,
            capture_output=True, text=True).stdout.splitlines()]
        starts = sorted({int(s[0], 16) & ~1 for s in symbols})
        helpers = {}  # one name per address (libgcc has aliases), with its end
        for s in sorted(symbols, key=lambda s: len(s) != 4):  # sized names first
            start = int(s[0], 16) & ~1
            if s[-1] in names and start not in helpers:
                end = start + int(s[1], 16) if len(s) == 4 else next(
                    (a for a in starts if a > start), start)
                helpers[start] = (end, s[-1])
        ranges += [(base + start, base + end, name) for start, (end, name) in helpers.items()]
    return ranges


def measure(args, op):
    name, period, unit = op
    short, long = period, (REPEAT + 1) * period
    (c1, pcs1, bases), (c2, pcs2, _) = trace(args, name, short), trace(args, name, long)
    per_op = (long - short) * unit
    result = {"name": name, "count": (c2 - c1) / per_op, "helpers": {}}
    if args.json:
        for start, end, helper in helper_ranges(bases, args.tools_prefix):
            spent = sum(pcs2[pc] - pcs1[pc] for pc in pcs2 if start <= pc < end)
            if spent:
                result["helpers"][helper] = spent / per_op
    return result


def read_budget(path):
    budget = {}
    with open(path) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                limit, name = line.rstrip("\n").split(None, 1)
                budget[name.strip()] = float(limit)
    return budget


def write_budget(path, results):
    """Keeps the comment lines; each budget is the count plus 2 %, rounded up."""
    with open(path) as f:
        header = [line for line in f if line.startswith("#")]
    with open(path, "w") as f:
        f.writelines(header)
        for r in results:
            f.write(f"{math.ceil(r['count'] * 1.02):<6d}{r['name']}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--emulator", required=True, help="the emulator command, one string")
    parser.add_argument("--budget")
    parser.add_argument("--update-budget", action="store_true")
    parser.add_argument("--json")
    parser.add_argument("--tools-prefix", default="arm-linux-gnueabihf-")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()

    listing = subprocess.run(["env", "-i"] + shlex.split(args.emulator) + [args.driver, "--list"],
                             check=True, capture_output=True, text=True).stdout
    ops = [(n, int(p), int(u)) for n, p, u in (line.split("\t") for line in listing.splitlines())]
    if args.budget and not args.json:  # the gate counts only what has a budget
        ops = [op for op in ops if not op[0].endswith("/baseline")]
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        results = list(pool.map(lambda op: measure(args, op), ops))

    failures = []
    if args.budget:
        gated = [r for r in results if not r["name"].endswith("/baseline")]
        if args.update_budget:
            write_budget(args.budget, gated)
        budget = read_budget(args.budget)
        for r in gated:
            limit = budget.get(r["name"])
            verdict = "no budget" if limit is None else "OVER" if r["count"] > limit else "ok"
            print(f"{r['count']:9.2f} {'' if limit is None else f'{limit:g}':>6} {verdict:9} "
                  f"{r['name']}")
            if verdict != "ok":
                failures.append(f"{r['name']}: {r['count']:.2f} instructions, budget {limit}")
        stale = set(budget) - {r["name"] for r in gated}
        failures += [f"{name}: budgeted, but the driver has no such operation" for name in stale]
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    if failures:
        sys.exit("ARM instruction budget exceeded:\n  " + "\n  ".join(failures))


if __name__ == "__main__":
    main()
