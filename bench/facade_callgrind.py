#!/usr/bin/env python3
"""Counts the instructions of each C/facade pair of bench_facade under callgrind.

Times on a shared machine wobble by several per cent; instruction counts do
not. For every benchmark of bench_facade (or those --filter matches) this runs
the program under valgrind's callgrind, which dumps its counters as the timed
loop starts and again as it ends; the last such dump is the loop of the run
Google Benchmark reported, and its instructions divided by the run's
iterations and by the benchmark's operations per iteration give instructions
per operation: all of them, and those in the benchmark program's own code
(the loop with the inlined facade or C calls, and the callbacks), which leaves
out the library and the C library. Prints one Markdown row per pair.

    bench/facade_callgrind.py build/bench/bench/bench_facade [--filter REGEX]
"""

import argparse
import glob
import json
import os
import re
import subprocess
import tempfile


def program_instructions(dump, program):
    """Instructions executed in program's own code (self cost, not calls)."""
    objects, current, own, skip = {}, None, 0, False
    for line in dump.splitlines():
        m = re.match(r"(c?)ob=\((\d+)\)\s*(.*)", line)  # the first mention names an id
        if m:
            name = objects.setdefault(m.group(2), m.group(3))
            if not m.group(1):
                current = name
        elif line.startswith("calls="):
            skip = True  # the next cost line is the callee's inclusive cost
        elif re.match(r"[-+*\d]", line):
            if not skip and current == program:
                own += int(line.split()[-1])
            skip = False
    return own


def instructions_per_op(program, name, work):
    out = os.path.join(work, "cg")
    subprocess.run(
        ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
         "--dump-after=benchmark::State::StartKeepRunning*",
         "--dump-before=benchmark::State::FinishKeepRunning*",
         program, f"--benchmark_filter=^{re.escape(name)}$", "--benchmark_min_time=0.2",
         f"--benchmark_out={out}.json", "--benchmark_out_format=json"],
        check=True, capture_output=True)
    loops = []
    for path in glob.glob(out + ".*[0-9]"):
        with open(path) as f:
            text = f.read()
        if "--dump-before=benchmark::State::FinishKeepRunning" in text:
            loops.append((int(path.rsplit(".", 1)[1]),
                          int(re.search(r"^summary: (\d+)", text, re.M).group(1)),
                          program_instructions(text, os.path.realpath(program))))
        os.remove(path)
    with open(out + ".json") as f:
        run = json.load(f)["benchmarks"][0]
    per_op = run["iterations"] * run["ops"]
    _, total, own = max(loops)
    return total / per_op, own / per_op


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program")
    parser.add_argument("--filter", default="")
    args = parser.parse_args()
    names = subprocess.run([args.program, "--benchmark_list_tests",
                            f"--benchmark_filter={args.filter}"],
                           check=True, capture_output=True, text=True).stdout.split()
    pairs = {}
    for name in names:
        _, op, impl, *arg = name.split("/")
        pairs.setdefault((op, tuple(arg)), {})[impl] = name
    print("| pair | C | facade | facade - C | C, own code | facade, own code |")
    print("|---|---:|---:|---:|---:|---:|")
    with tempfile.TemporaryDirectory() as work:
        for (op, arg), impls in pairs.items():
            if set(impls) != {"C", "facade"}:
                continue
            c = instructions_per_op(args.program, impls["C"], work)
            facade = instructions_per_op(args.program, impls["facade"], work)
            label = op + (f" ({arg[0]})" if arg else "")
            print(f"| {label} | {c[0]:.2f} | {facade[0]:.2f} | {facade[0] - c[0]:+.2f} | "
                  f"{c[1]:.2f} | {facade[1]:.2f} |", flush=True)


if __name__ == "__main__":
    main()
