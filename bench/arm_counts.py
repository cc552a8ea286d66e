#!/usr/bin/env python3
"""ARM instructions per operation of bench/arm_ops.cpp, counted under qemu-arm.

Runs the driver twice per operation, n = period and n = 5 * period, in the
emulator with a trace of one line per executed instruction; start-up, set-up
and exit cancel out of the difference. The runs get an empty environment and
n at a fixed width, and the driver's RUNPATH names every library (the host's
ld.so.cache is never read): the counts are the same on every machine.

--budget FILE: the gate. Each libzuc and facade operation must have a budget
in FILE and stay within it, or the run fails naming it. --update-budget
rewrites FILE's numbers: this run's counts plus 2 %. --json FILE: every
count, and the instructions spent in the libgcc helpers of each library.
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

TRACE = re.compile(r"Trace \d+: \S+ \[[0-9a-f]+/([0-9a-f]+)/")


def output(cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def trace(args, name, n):
    """Instructions executed by one run, by address when --json asks for it,
    and where the driver loaded each library (it says so on stderr)."""
    cmd = ["env", "-i"] + shlex.split(args.emulator) + [
        "-singlestep", "-d", "exec,nochain", "-D", "/dev/stdout", args.driver, name, f"{n:010d}"]
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    count, by_pc = 0, collections.Counter()
    for line in proc.stdout:
        if line.startswith("Trace"):
            count += 1
            if args.json:
                by_pc[int(TRACE.match(line).group(1), 16)] += 1
    err = proc.stderr.read()
    if proc.wait() != 0:
        sys.exit(f"{' '.join(cmd)} failed:\n{err}")
    return count, by_pc, dict(re.findall(r"^base (\S+) (\S+)$", err, re.M))


def helper_ranges(bases, prefix):
    """(start, end, name) of the libgcc functions linked into each loaded library."""
    libgcc = output([prefix + "gcc", "-print-libgcc-file-name"]).strip()
    names = set(re.findall(r"^\S+ [Tt] (\S+)$", output([prefix + "nm", "--defined-only", libgcc]),
                           re.M))
    ranges = []
    for path, base in bases.items():
        symbols = [s.split() for s in output([prefix + "nm", "-S", "--defined-only", path]).splitlines()]
        starts = sorted({int(s[0], 16) & ~1 for s in symbols})
        seen = set()  # libgcc names some functions twice: count each address once
        for s in sorted(symbols, key=lambda s: len(s) != 4):  # names with a size first
            start = int(s[0], 16) & ~1
            if s[-1] in names and start not in seen:
                seen.add(start)
                end = start + int(s[1], 16) if len(s) == 4 else min(a for a in starts if a > start)
                ranges.append((int(base, 16) + start, int(base, 16) + end, s[-1]))
    return ranges


def measure(args, op):
    name, period, unit = op
    (c1, pcs1, bases), (c2, pcs2, _) = trace(args, name, period), trace(args, name, 5 * period)
    runs = 4 * period * unit
    result = {"name": name, "count": (c2 - c1) / runs, "helpers": {}}
    for start, end, helper in helper_ranges(bases, args.tools_prefix) if args.json else []:
        spent = sum(pcs2[pc] - pcs1[pc] for pc in pcs2 if start <= pc < end)
        if spent:
            result["helpers"][helper] = spent / runs
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    for arg in ("driver", "emulator"):  # the emulator command as one string
        parser.add_argument("--" + arg, required=True)
    parser.add_argument("--budget")
    parser.add_argument("--update-budget", action="store_true")
    parser.add_argument("--json")
    parser.add_argument("--tools-prefix", default="arm-linux-gnueabihf-")
    args = parser.parse_args()

    listing = output(["env", "-i"] + shlex.split(args.emulator) + [args.driver, "--list"])
    ops = [(n, int(p), int(u)) for n, p, u in (line.split("\t") for line in listing.splitlines())]
    if not args.json:  # the gate needs no baselines
        ops = [op for op in ops if not op[0].endswith("/baseline")]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        results = list(pool.map(lambda op: measure(args, op), ops))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    if not args.budget:
        return
    gated = [r for r in results if not r["name"].endswith("/baseline")]
    if args.update_budget:
        with open(args.budget) as f:
            comments = [line for line in f if line.startswith("#")]
        with open(args.budget, "w") as f:
            f.writelines(comments + [f"{math.ceil(r['count'] * 1.02):<6d}{r['name']}\n"
                                     for r in gated])
    with open(args.budget) as f:
        budget = {name.strip(): float(limit) for limit, name in (
            line.split(None, 1) for line in f if line.strip() and not line.startswith("#"))}
    failures = [f"{name}: budgeted, but the driver has no such operation"
                for name in budget.keys() - {r["name"] for r in gated}]
    for r in gated:
        limit = budget.get(r["name"])
        verdict = "no budget" if limit is None else "OVER" if r["count"] > limit else "ok"
        print(f"{r['count']:9.2f} {'' if limit is None else f'{limit:g}':>6} {verdict:9} {r['name']}")
        if verdict != "ok":
            failures.append(f"{r['name']}: {r['count']:.2f} instructions, budget {limit}")
    if failures:
        sys.exit("ARM instruction budget exceeded:\n  " + "\n  ".join(failures))


if __name__ == "__main__":
    main()
