#!/usr/bin/env python3
"""The speed goals in one table: runs the benchmark programs of a build with JSON output and prints
each goal's figure, its ratio and whether it holds.

    bench/bench_table.py [BUILD_DIR] [--repetitions N] [--min-time S] [--cpu N] [--bin DIR]

Every row is the fastest of many short repetitions (the overhead rows: the median of the paired
ratios, see bench_au), taken in one run. --cpu pins the run to one core (default: the last one);
--bin takes the programs from one folder instead of BUILD_DIR/bench/*/, e.g. to compare builds.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys

PROGRAMS = {
    "effect": "effect/bench_effect",
    "au": "au/bench_au",
    "clap": "clap/bench_clap",
    "vst3": "vst3/bench_vst3",
    "raster": "raster/bench_raster",
    "editor": "graphics/bench_editor",
}

FILTERS = {
    "effect": "^(Plain|Fast|WavefrontAvx512|WavefrontAvx2)/frames:[0-9]+/cabinet:[01]/input:0$",
    "au": "^OverheadThroughEntry",
    "clap": "^Overhead",
    "vst3": "^Overhead",
    "raster": "^BM_(OpaqueCopy|SourceAlphaBlit|BilinearUp512|Reduce128)_(Raster|Pixman|RasterBox3|PixmanBilinear)$",
    "editor": "^BM_(EditorFullRedraw|PixmanSameLayers)$",
}

SIZES = [32, 64, 128, 256, 512, 4096]


def run(path, bench_filter, repetitions, min_time):
    """Per benchmark name: the list of its repetitions' rows."""
    cmd = [path, "--benchmark_filter=" + bench_filter, "--benchmark_format=json",
           "--benchmark_repetitions=%d" % repetitions, "--benchmark_min_time=%g" % min_time]
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False).stdout
    try:
        doc = json.loads(out)
    except ValueError:
        return {}
    rows = {}
    for b in doc.get("benchmarks", []):
        if b.get("run_type") == "iteration" and not b.get("error_occurred"):
            rows.setdefault(b["run_name"], []).append(b)
    return rows


def fastest(rows, name, key="cpu_time"):
    values = [r[key] for r in rows.get(name, []) if key in r]
    return min(values) if values else None


def median(rows, name, key):
    values = [r[key] for r in rows.get(name, []) if key in r]
    return statistics.median(values) if values else None


class Table:
    def __init__(self):
        self.lines = []

    def section(self, title):
        self.lines.append(("", title, "", "", ""))

    def row(self, what, figure, goal="", held=None):
        verdict = "" if held is None else ("yes" if held else "NO")
        self.lines.append((" ", what, figure, goal, verdict))

    def print(self):
        w1 = max(len(l[1]) for l in self.lines if l[0]) + 2
        w2 = max(len(l[2]) for l in self.lines) + 2
        w3 = max(len(l[3]) for l in self.lines) + 2
        print("%-*s%-*s%-*s%s" % (w1 + 1, "what", w2, "measured", w3, "goal", "met"))
        for indent, what, figure, goal, verdict in self.lines:
            if not indent:
                print("-- " + what)
            else:
                print(" %-*s%-*s%-*s%s" % (w1, what, w2, figure, w3, goal, verdict))


def fmt(v, unit="", digits=2):
    return "n/a" if v is None else ("%.*f%s" % (digits, v, unit))


def effect_rows(t, rows):
    def ns(kernel, frames, cabinet=1):
        v = fastest(rows, "%s/frames:%d/cabinet:%d/input:0" % (kernel, frames, cabinet), "per_frame")
        return None if v is None else v * 1e9

    t.section("effect, ns per stereo frame (music, cabinet on)")
    plain, fast, avx2, avx512 = ns("Plain", 512), ns("Fast", 512), ns("WavefrontAvx2", 512), ns("WavefrontAvx512", 512)
    speedup = plain / fast if plain and fast else None
    t.row("512 frames: plain loop", fmt(plain))
    t.row("512 frames: fast path", "%s (%sx plain)" % (fmt(fast), fmt(speedup, digits=1)), "<= 8, >= 9.3x",
          None if speedup is None else fast <= 8.0 and speedup >= 9.3)
    if avx512 is not None:
        t.row("512 frames: AVX-512", fmt(avx512))
    else:
        t.row("512 frames: AVX-512", "not on this CPU")
    t.row("512 frames: AVX2", fmt(avx2), "<= 9", None if avx2 is None else avx2 <= 9.0)
    for name, kernel in (("AVX-512", "WavefrontAvx512"), ("AVX2", "WavefrontAvx2")):
        at64, at512 = ns(kernel, 64), ns(kernel, 512)
        if at64 is None or at512 is None:
            continue
        t.row("64 frames: %s (per frame vs 512)" % name, "%s (%sx)" % (fmt(at64), fmt(at64 / at512)), "<= 1.6x",
              at64 / at512 <= 1.6)
    t.section("the fast path's choice per block size (ns per frame)")
    for cabinet, label in ((1, ""), (0, ", no cabinet")):
        for frames in SIZES:
            f, a5, a2 = ns("Fast", frames, cabinet), ns("WavefrontAvx512", frames, cabinet), ns("WavefrontAvx2", frames,
                                                                                                cabinet)
            kernels = [(v, n) for v, n in ((a5, "AVX-512"), (a2, "AVX2")) if v is not None]
            if f is None or not kernels:
                continue
            best, name = min(kernels)
            shown = " / ".join("%s %s" % (n, fmt(v)) for v, n in kernels)
            # Within 5 %: at the faster kernel's figure, the run's noise cannot tell the two apart.
            t.row("%d frames%s: fast %s" % (frames, label, fmt(f)), shown, "fast ~ " + name, f <= best * 1.05)


def overhead_rows(t, label, rows, goal32, goal512):
    for frames, goal in ((512, goal512), (32, goal32)):
        names = [n for n in rows if n.endswith("/%d" % frames)]
        if not names:
            continue
        pct = median(rows, names[0], "paired overhead %")
        t.row("%s host overhead, %d frames" % (label, frames), fmt(pct, " %", 1), "<= %d %%" % goal,
              None if pct is None else pct <= goal)


def raster_rows(t, rows):
    t.section("raster vs pixman (time ratio, fastest of each)")
    for what, ours, theirs in (("opaque copy", "BM_OpaqueCopy_Raster", "BM_OpaqueCopy_Pixman"),
                               ("source-alpha blit", "BM_SourceAlphaBlit_Raster", "BM_SourceAlphaBlit_Pixman"),
                               ("bilinear up x2", "BM_BilinearUp512_Raster", "BM_BilinearUp512_Pixman"),
                               ("3-box reduction", "BM_Reduce128_RasterBox3", "BM_Reduce128_PixmanBilinear")):
        a, b = fastest(rows, ours), fastest(rows, theirs)
        ratio = a / b if a and b else None
        t.row(what, "%s (%s / %s us)" % (fmt(ratio), fmt(a and a / 1e3, digits=1), fmt(b and b / 1e3, digits=1)),
              "<= 1.0", None if ratio is None else ratio <= 1.0)


def editor_rows(t, rows):
    a, b = fastest(rows, "BM_EditorFullRedraw"), fastest(rows, "BM_PixmanSameLayers")
    ratio = a / b if a and b else None
    t.row("editor full redraw vs pixman", "%s (%s / %s us)" % (fmt(ratio), fmt(a and a / 1e3, digits=1),
                                                             fmt(b and b / 1e3, digits=1)),
          "<= 0.9", None if ratio is None else ratio <= 0.9)


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("build", nargs="?", default="build")
    p.add_argument("--repetitions", type=int, default=20)
    p.add_argument("--min-time", type=float, default=0.02)
    p.add_argument("--cpu", type=int, default=(os.cpu_count() or 1) - 1)
    p.add_argument("--bin", help="take every program from this folder")
    args = p.parse_args()
    if args.cpu >= 0 and hasattr(os, "sched_setaffinity"):
        os.sched_setaffinity(0, {args.cpu})

    results = {}
    for key, rel in PROGRAMS.items():
        path = os.path.join(args.bin, os.path.basename(rel)) if args.bin else os.path.join(args.build, "bench", rel)
        if not os.access(path, os.X_OK):
            results[key] = None
            continue
        print("running %s" % path, file=sys.stderr)
        results[key] = run(path, FILTERS[key], args.repetitions, args.min_time)

    t = Table()
    if results["effect"] is not None:
        effect_rows(t, results["effect"])
    t.section("host overhead over calling the processing directly (median of paired ratios)")
    for key, label, g32, g512 in (("au", "AU", 15, 5), ("clap", "CLAP", 15, 5), ("vst3", "VST3", 15, 5)):
        if results[key] is not None:
            overhead_rows(t, label, results[key], g32, g512)
        else:
            t.row("%s host overhead" % label, "not built")
    if results["raster"] is not None:
        raster_rows(t, results["raster"])
    if results["editor"] is not None:
        editor_rows(t, results["editor"])
    t.print()


if __name__ == "__main__":
    main()
