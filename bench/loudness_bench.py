#!/usr/bin/env python3
"""What loudness costs on one hour, against ffmpeg's meter and the plain runs.

Measures, on the same files in one run (the machine may be shared: the
ratios compare commands of this one run):

  ffmpeg     ffmpeg -i D -af ebur128=peak=true -f null -   (one thread)
  analyze    quelvo-cli analyze D --loudness --json, with --jobs 1 and the
             default --jobs
  render     quelvo-cli render (dialogue, music, filler) and the same with
             --json (which measures the dialogue, the music and the mix), at
             the default --jobs; render --json also with --jobs 1

Targets: analyze --loudness (default --jobs) <= 0.5 x ffmpeg's
ebur128=peak=true; render --json <= 1.3 x render; the loudness figures the
same at every --jobs (within 0.01 LU and 0.01 dB). Our figures are printed
beside ffmpeg's. The dialogue is make_long_dialogue.sh's one-hour WAV (48 kHz
stereo); the music and filler are render_bench.py's. Usage:

  bench/loudness_bench.py [--cli PATH] [--runs N] [--dir /tmp/quelvo-bench]
"""
import argparse
import json
import os
import re
import statistics
import sys

from analysis_bench import find_cli, measure
from render_bench import hour_inputs

ANALYZE_TARGET = 0.5
RENDER_TARGET = 1.3
SAME = 0.01


def ffmpeg_figures(text):
    found = {}
    for key, pattern in (("integrated", r"I:\s*(-?[0-9.]+) LUFS"), ("range", r"LRA:\s*(-?[0-9.]+) LU"),
                         ("truePeak", r"Peak:\s*(-?[0-9.]+) dBFS")):
        values = re.findall(pattern, text)
        found[key] = float(values[-1]) if values else None
    return found


def differ(a, b):
    """The largest difference between two flat dicts of figures (None = absent on both)."""
    worst = 0.0
    for key in a:
        if (a[key] is None) != (b[key] is None):
            return float("inf")
        if a[key] is not None:
            worst = max(worst, abs(a[key] - b[key]))
    return worst


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per command; medians are shown")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    args = parser.parse_args()

    cli = find_cli(args.cli)
    dialogue, music, filler, env = hour_inputs(args.dir)
    output = os.path.join(args.dir, "loudness_bench_mix.wav")
    render = [cli, "render", "--dialogue", dialogue, "--music", music, "--filler", filler, "--output", output,
              "--force"]
    commands = {
        # ffmpeg prints its summary on standard error: the shell hands it over.
        "ffmpeg ebur128=peak=true": ["sh", "-c", 'exec ffmpeg -nostdin -hide_banner -nostats -i "$0" '
                                     '-af ebur128=peak=true:framelog=verbose -f null - 2>&1', dialogue],
        "analyze --loudness --jobs 1": [cli, "analyze", dialogue, "--loudness", "--json", "--jobs", "1"],
        "analyze --loudness": [cli, "analyze", dialogue, "--loudness", "--json"],
        "render": render,
        "render --json": render + ["--json"],
        "render --json --jobs 1": render + ["--json", "--jobs", "1"],
    }
    samples = {name: [] for name in commands}
    outputs = {}
    try:
        for _ in range(max(1, args.runs)):
            for name, cmd in commands.items():
                wall, cpu, rss, out = measure(cmd, env)
                outputs[name] = out.decode(errors="replace")
                samples[name].append((wall, cpu, rss))
    finally:
        if os.path.exists(output):
            os.remove(output)
    med = {name: statistics.median(s[0] for s in runs) for name, runs in samples.items()}
    cpu = {name: statistics.median(s[1] for s in runs) for name, runs in samples.items()}

    print()
    print("One hour: dialogue WAV 48 kHz stereo (music M4A, filler M4A for render); %d runs, median; "
          "%d cores, possibly shared" % (args.runs, os.cpu_count() or 1))
    print("%-30s %8s %8s" % ("command", "wall s", "cpu s"))
    for name in commands:
        print("%-30s %8.2f %8.2f" % (name, med[name], cpu[name]))

    reference = ffmpeg_figures(outputs["ffmpeg ebur128=peak=true"])
    ours = {jobs: json.loads(outputs[name])["loudness"] for jobs, name in
            (("1", "analyze --loudness --jobs 1"), ("default", "analyze --loudness"))}
    print("ffmpeg:  %s" % reference)
    print("quelvo:  %s (--jobs 1), %s (default)" % (ours["1"], ours["default"]))
    rendered = {jobs: json.loads(outputs[name])["loudness"] for jobs, name in
                (("1", "render --json --jobs 1"), ("default", "render --json"))}
    print("render --json loudness: %s (--jobs 1), %s (default)" % (rendered["1"], rendered["default"]))

    analyze_ratio = med["analyze --loudness"] / med["ffmpeg ebur128=peak=true"]
    render_ratio = med["render --json"] / med["render"]
    same = max(differ(ours["1"], ours["default"]), differ(rendered["1"], rendered["default"]))
    ok = [analyze_ratio <= ANALYZE_TARGET, render_ratio <= RENDER_TARGET, same <= SAME]
    print("analyze --loudness / ffmpeg ebur128=peak=true = %.2f  target <= %.1f: %s"
          % (analyze_ratio, ANALYZE_TARGET, "ok" if ok[0] else "MISSED"))
    print("render --json / render = %.2f  target <= %.1f: %s" % (render_ratio, RENDER_TARGET, "ok" if ok[1] else "MISSED"))
    print("largest difference between --jobs 1 and the default = %.4f  target <= %.2f: %s"
          % (same, SAME, "ok" if ok[2] else "MISSED"))
    print()
    return 0 if all(ok) else 1


if __name__ == "__main__":
    sys.exit(main())
