#!/usr/bin/env python3
"""Writes the tables of docs/benchmarks.md, and its chart, from one bench/run:
each table stands between <!-- begin NAME --> and <!-- end NAME --> in the
hand-written document and is replaced whole."""

import argparse
import glob
import json
import os
import re
import statistics
import subprocess

# (target, benchmark, the other implementation, limit on libzuc's time / the other's)
TARGETS = [
    ("pool at least 2x faster than malloc/free", "mempool/alloc+free", "malloc", 1 / 2),
    ("queue at least 4x faster than GQueue", "zuqueue/add+get", "GQueue", 1 / 4),
    ("hash delete+store at least 1.8x faster than std::unordered_map", "hashtab/delete+store",
     "std::unordered_map", 1 / 1.8),
    ("hash delete+store at least 1.8x faster than GHashTable", "hashtab/delete+store",
     "GHashTable", 1 / 1.8),
    ("hash lookup no slower than GHashTable", "hashtab/lookup hit", "GHashTable", 1.0),
    ("CRC within 1.1x of the byte-wise table loop (Boost's crc_optimal)", "crc16/checksum 4096",
     "boost::crc_optimal", 1.1),
]
ARM_LIMIT = 1.1


def run(cmd):
    return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout


def load(results):
    """Times per operation (ns) of every sample, in the order the benchmarks were
    registered, the complexity fits and the contexts."""
    samples, fits, contexts, order = {}, {}, [], {}
    for path in sorted(glob.glob(os.path.join(results, "*.json"))):
        with open(path) as f:
            data = json.load(f)
        contexts.append(data["context"])
        for b in data["benchmarks"]:
            order[b["run_name"]] = (b["family_index"], b.get("per_family_instance_index", 0))
            if b["run_type"] == "iteration":
                samples.setdefault(b["run_name"], []).append(b["cpu_time"] / b.get("per", 1))
            elif b.get("aggregate_name") in ("BigO", "RMS"):
                fits.setdefault(b["run_name"], {}).setdefault(b["aggregate_name"], []).append(b)
    return dict(sorted(samples.items(), key=lambda s: order[s[0]])), fits, contexts


def time(ns):
    for unit, scale in (("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|---" + "|---:" * (len(header) - 1) + "|"]
    return "\n".join(lines + ["| " + " | ".join(row) + " |" for row in rows])


def arm_rows(arm):
    """(operation, libzuc, baseline, facade) counts."""
    counts = {r["name"]: r for r in arm}
    return [(name[:-7], r, counts.get(name[:-7] + "/baseline"), counts.get(name[:-7] + "/facade"))
            for name, r in counts.items() if name.endswith("/libzuc")]


def targets(times, arm):
    def time_of(prefix):
        return next(t for name, t in times.items() if name.startswith(prefix))

    rows = []
    for label, bench, other, limit in TARGETS:
        ratio = time_of(f"{bench}/libzuc") / time_of(f"{bench}/{other}")
        rows.append([label, f"{ratio:.3f}", f"≤ {limit:.3g}", "yes" if ratio <= limit else "**no**"])
    worst = max(arm_rows(arm), key=lambda r: r[1]["count"] / r[2]["count"])
    ratio = worst[1]["count"] / worst[2]["count"]
    rows.append([f"every operation within {ARM_LIMIT}x its out-of-line baseline in ARM "
                 f"instructions (the highest: {worst[0]})", f"{ratio:.3f}", f"≤ {ARM_LIMIT}",
                 "yes" if ratio <= ARM_LIMIT else "**no**"])
    met = sum(row[3] == "yes" for row in rows)
    return f"{met} of {len(rows)} targets met in this run.\n\n" + table(
        ["target", "libzuc ÷ other", "limit", "met"], rows)


def arm_table(arm):
    def helpers(r):
        return ", ".join(f"`{h}` {n:.0f}" for h, n in r["helpers"].items())

    rows = [[op, f"{z['count']:.1f}", f"{b['count']:.1f}", f"{z['count'] / b['count']:.2f}",
             f"{f['count']:.1f}" if f else "", helpers(z), helpers(b)]
            for op, z, b, f in arm_rows(arm)]
    return table(["operation", "libzuc", "baseline", "ratio", "C++ layer", "in libgcc: libzuc",
                  "in libgcc: baseline"], rows)


def host_tables(times):
    families = {}
    for name in times:
        family, op, impl = name.split("/")[:3]  # the hash table's benchmarks end in its fill
        if family != "growth":
            families.setdefault(family, {}).setdefault(op, {})[impl] = times[name]
    out = []
    for family, ops in families.items():
        impls = list(dict.fromkeys(["libzuc"] + [i for op in ops.values() for i in op]))
        rows = [[op] + [("**" + time(t[i]) + "**" if i == "libzuc" else
                         f"{time(t[i])} ({t['libzuc'] / t[i]:.2f})") if i in t else ""
                        for i in impls] for op, t in ops.items()]
        out.append(table([family] + impls, rows))
    return "\n\n".join(out)


def growth(times, fits, data_file):
    series = {}
    for name, t in times.items():
        if name.startswith("growth/"):
            _, op, n = name.split("/")
            series.setdefault(op, {})[int(n)] = t
    ops, sizes = list(series), sorted({n for s in series.values() for n in s})
    rows = [[str(n)] + [time(series[op][n]) if n in series[op] else "" for op in ops]
            for n in sizes]
    fit = [f"O({fits[f'growth/{op}']['BigO'][0]['big_o'].strip('()')}): rms "
           f"{100 * statistics.median(r['rms'] for r in fits[f'growth/{op}']['RMS']):.0f} %"
           for op in ops]
    with open(data_file, "w") as f:
        for op in ops:
            f.write(f'"{op}"\n' + "".join(f"{n} {series[op][n]}\n" for n in sorted(series[op]))
                    + "\n\n")
    return table(["n"] + [f"`{op}`" for op in ops], rows + [["**fit**"] + fit]), ops


def sizes(tool, path):
    """.text, .rodata, .data and .bss bytes (their subsections included)."""
    total = dict.fromkeys(("text", "rodata", "data", "bss"), 0)
    for name, size in re.findall(r"^\.(\w+)\S*\s+(\d+)", run([tool, "-A", path]), re.M):
        if name in total:
            total[name] += int(size)
    return total


def footprint(arm_build, prefix):
    objects = sorted(glob.glob(f"{arm_build}/platform/libzuc/CMakeFiles/zuc_objects.dir/*.o"))
    lib = os.path.realpath(os.path.join(arm_build, "platform/libzuc/libzuc.so"))
    rows = [[os.path.basename(o)[:-6]] + [str(v) for v in sizes(prefix + "size", o).values()]
            for o in objects]
    linked = sizes(prefix + "size", lib)
    rows.append(["**linked `libzuc.so`**"] + [f"**{v}**" for v in linked.values()])
    needed = re.findall(r"\(NEEDED\).*\[(.*)\]", run([prefix + "readelf", "-d", lib]))
    return (table(["module", ".text", ".rodata", ".data", ".bss"], rows) +
            f"\n\n.text + .rodata of the linked library: {linked['text'] + linked['rodata']} "
            f"bytes. Needs (`NEEDED`): {', '.join(needed)}.")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for arg in ("results", "arm", "arm-build", "doc", "chart", "setting"):
        parser.add_argument("--" + arg, required=True)
    parser.add_argument("--arm-prefix", default="arm-linux-gnueabihf-")
    args = parser.parse_args()

    samples, fits, contexts = load(args.results)
    times = {name: statistics.median(s) for name, s in samples.items()}
    arm = json.load(open(args.arm))
    spread = statistics.median(statistics.stdev(s) / statistics.mean(s)
                               for s in samples.values() if len(s) > 1)
    loads = [c["load_avg"][0] for c in contexts]
    cpu = re.search(r"model name\s*:\s*(.*)", open("/proc/cpuinfo").read()).group(1)
    growth_text, ops = growth(times, fits, os.path.join(args.results, "growth.dat"))
    sections = {
        "run": f"Run on {contexts[0]['date'][:10]}: {cpu}, {contexts[0]['num_cpus']} CPUs; "
               f"one-minute load average {min(loads):.1f} to {max(loads):.1f} as the programs "
               f"started. {args.setting}. The median coefficient of variation of the samples "
               f"of one benchmark was {100 * spread:.0f} %.",
        "targets": targets(times, arm),
        "arm": arm_table(arm),
        "host": host_tables(times),
        "growth": growth_text,
        "footprint": footprint(args.arm_build, args.arm_prefix),
    }
    doc = open(args.doc).read()
    for name, text in sections.items():
        doc = re.sub(f"(<!-- begin {name} -->\n).*?(<!-- end {name} -->)",
                     lambda m: m.group(1) + text + "\n" + m.group(2), doc, flags=re.S)
    open(args.doc, "w").write(doc)
    run(["gnuplot", "-e", f"data='{os.path.join(args.results, 'growth.dat')}'; "
         f"output='{args.chart}'; count={len(ops)}", os.path.join(os.path.dirname(__file__),
                                                                   "chart.gp")])


if __name__ == "__main__":
    main()
