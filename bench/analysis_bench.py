#!/usr/bin/env python3
"""Speed and memory of the dialogue analysis on a one-hour recording.

Makes (once) a one-hour 48 kHz stereo dialogue as WAV, MP3 and M4A with
make_long_dialogue.sh, then measures on the same files in one run:

  threshold      quelvo-cli analyze FILE --json --detect threshold --jobs 1
                 (dialogue settings at -24 dB, gap closing)
  automatic      quelvo-cli analyze FILE --json --detect automatic --jobs 1
  parallel       both modes again with the default --jobs (no option: the
                 machine's cores), or with --jobs N when given --jobs N
  silencedetect  ffmpeg -threads 1 -i FILE -af silencedetect=n=-24dB:d=0.5 -f null -
  decode         ffmpeg -threads 1 -i FILE -f null -   (the decoder alone)

and prints the median wall time (CPU time in brackets) of each, our peak
resident memory in each mode, and the ratios against the targets.

Single-threaded (--jobs 1; ffmpeg is given -threads 1 for its decoder and
filters):

               threshold                   automatic
  WAV          <= 0.5 x silencedetect      <= 1.0 x silencedetect
  MP3, M4A     <= 1.1 x decode             <= 1.3 x decode
  every format peak RSS < 64 MB in both modes

Parallel (the default --jobs), against the same single-threaded references:

               threshold                   automatic
  WAV          <= 0.15 x silencedetect     (shown, no target)
  MP3, M4A     <= 0.6 x decode             <= 0.6 x its own --jobs 1 time
  every format peak RSS < 96 MB in both modes

and the clusters of every parallel run must equal those of --jobs 1 exactly
(the parsed JSON lists; the first difference is printed). The machine's core
count (os.cpu_count()) and the --jobs used are printed with the figures:
on a machine with one core the parallel targets cannot be met.

A quelvo-cli whose `analyze --help` does not mention --jobs is measured on
its default path only, against the single-threaded targets, and says so.

Exits 1 when a target is missed or the clusters differ. Needs only python3,
ffmpeg and a built quelvo-cli (scripts/build.sh). A run with the default
three rounds took 2 minutes on a 2-core machine shared with builds (plus
about 3 minutes the first time, to write the one-hour files). Usage:

  bench/analysis_bench.py [--cli PATH] [--runs N] [--jobs N] [--dir /tmp/quelvo-bench]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
FORMATS = ("wav", "mp3", "m4a")
RSS_LIMIT_MB = 64.0
PARALLEL_RSS_LIMIT_MB = 96.0
MODES = ("threshold", "automatic")
# Largest ratio to silencedetect (WAV) and to the decoder alone (MP3, M4A),
# single-threaded.
TARGETS = {"threshold": (0.5, 1.1), "automatic": (1.0, 1.3)}
# Parallel: (reference, largest ratio) for WAV and for MP3/M4A; "jobs 1" is
# the same mode's single-threaded time, None no target.
PARALLEL_TARGETS = {"threshold": (("silencedetect", 0.15), ("decode", 0.6)),
                    "automatic": (None, ("jobs 1", 0.6))}


def find_cli(given):
    if given and not os.access(given, os.X_OK):
        sys.exit("analysis_bench: --cli %s is not an executable file" % given)
    candidates = [given, os.environ.get("QUELVO_CLI")]
    candidates += [os.path.join(ROOT, d, "bin", "quelvo-cli")
                   for d in ["build"] + sorted(n for n in os.listdir(ROOT) if n.startswith("build-"))]
    for path in candidates:
        if path and os.access(path, os.X_OK):
            return path
    sys.exit("analysis_bench: quelvo-cli not found; build it (scripts/build.sh) or pass --cli")


def measure(cmd, env=None):
    """Runs cmd once: wall seconds, CPU seconds, peak RSS in MB, stdout."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        if proc.returncode != 0:
            sys.exit("analysis_bench: %s failed (%d): %s"
                     % (" ".join(cmd), proc.returncode, err.read().decode(errors="replace").strip()))
        # ru_maxrss is in KiB on Linux.
        return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0, out.read()


def warm(path):
    """Reads the file once so that every tool finds it in the page cache."""
    with open(path, "rb") as f:
        while f.read(1 << 22):
            pass


def supports_jobs(cli, command):
    """Whether `quelvo-cli COMMAND --help` lists a --jobs option."""
    help_text = subprocess.run([cli, command, "--help"], stdin=subprocess.DEVNULL, capture_output=True,
                               text=True)
    return "--jobs" in help_text.stdout


def parallel_options(jobs):
    """The options of a parallel run: none (the default --jobs) or --jobs N."""
    return [] if jobs is None else ["--jobs", str(jobs)]


def machine_line(jobs, supported, command):
    """Names the cores and the --jobs the parallel figures were taken with."""
    cores = os.cpu_count() or 1
    usable = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else cores
    line = "%s, %d cores (os.cpu_count())" % (os.uname().machine, cores)
    if usable != cores:
        line += ", %d usable by this process" % usable
    if not supported:
        return line + ("; this quelvo-cli's %s has no --jobs: measured its default path only, "
                       "against the single-threaded targets" % command)
    used = "default --jobs (no option: the machine's cores, %d here)" % cores if jobs is None else "--jobs %d" % jobs
    return line + "; single-threaded runs with --jobs 1, parallel runs with " + used


def timing(wall_cpu):
    return "%.2f s (%.2f)" % wall_cpu


def limit_text(limit):
    """A target's ratio as written in the targets: 1.0, 0.6, 0.15."""
    text = "%.2f" % limit
    return text[:-1] if text.endswith("0") else text


def cluster_difference(expected, got, other="in parallel"):
    """The first difference between the clusters of --jobs 1 and another
    run's (both parsed JSON lists), or None when they are equal."""
    for index, (want, have) in enumerate(zip(expected, got)):
        if want != have:
            return "cluster %d is %s with --jobs 1 but %s %s" % (index, want, have, other)
    if len(expected) != len(got):
        longer = expected if len(expected) > len(got) else got
        return ("%d clusters with --jobs 1, %d %s; the first unmatched one is %s"
                % (len(expected), len(got), other, longer[min(len(expected), len(got))]))
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per tool and format; medians are shown")
    parser.add_argument("--jobs", type=int, help="--jobs of the parallel runs (default: none given, "
                        "so quelvo-cli uses the machine's cores)")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    args = parser.parse_args()

    cli = find_cli(args.cli)
    parallel = supports_jobs(cli, "analyze")
    subprocess.run([os.path.join(HERE, "make_long_dialogue.sh"), args.dir], check=True)
    config = tempfile.mkdtemp(prefix="quelvo-bench-settings-")
    env = dict(os.environ, QUELVO_CONFIG_DIR=config)  # default timings, -24 dB
    single = ["--jobs", "1"] if parallel else []

    ffmpeg = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-filter_threads", "1", "-threads", "1", "-i"]
    rows = []
    for fmt in FORMATS:
        path = os.path.join(args.dir, "long_dialogue_1h." + fmt)
        warm(path)
        tools = {mode: ([cli, "analyze", path, "--json", "--detect", mode] + single, env) for mode in MODES}
        if parallel:
            for mode in MODES:
                tools[mode + " parallel"] = ([cli, "analyze", path, "--json", "--detect", mode]
                                             + parallel_options(args.jobs), env)
        tools["silencedetect"] = (ffmpeg + [path, "-af", "silencedetect=n=-24dB:d=0.5", "-f", "null", "-"], None)
        tools["decode"] = (ffmpeg + [path, "-f", "null", "-"], None)
        samples = {name: [] for name in tools}
        clusters = {}      # mode: the first --jobs 1 run's cluster list
        differences = {}   # mode: the first difference found, if any
        # Rounds alternate the tools, so that a busy moment on the machine
        # does not fall on one of them only.
        for _ in range(max(1, args.runs)):
            for name, (cmd, tool_env) in tools.items():
                wall, cpu, rss, out = measure(cmd, tool_env)
                samples[name].append((wall, cpu, rss))
                mode = name.split()[0]
                if mode in MODES:
                    found = json.loads(out)["clusters"]
                    clusters.setdefault(mode, found)
                    difference = cluster_difference(clusters[mode], found,
                                                    "in parallel" if name != mode else "in another --jobs 1 run")
                    if difference and mode not in differences:
                        differences[mode] = difference
                        print("analysis_bench: %s %s: %s" % (fmt.upper(), name, difference), file=sys.stderr)
        med = {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
               for name, runs in samples.items()}
        rss = {name: max(s[2] for s in samples[name]) for name in tools if name.split()[0] in MODES}
        rows.append((fmt, os.path.getsize(path) / 1e6, med, rss, clusters, differences))

    print()
    print("One-hour dialogue, 48 kHz stereo; %d runs each, median wall time (CPU time) in seconds" % args.runs)
    print(machine_line(args.jobs, parallel, "analyze"))
    print()
    print("Single-threaded (%s):" % ("--jobs 1" if parallel else "the default path"))
    header = ("format", "MB", "threshold", "automatic", "silencedetect", "decode", "thr/ref", "auto/ref",
              "RSS thr", "RSS auto", "clusters")
    print("%-6s %6s %14s %14s %14s %14s %8s %8s %8s %8s %9s  %s" % (header + ("targets",)))
    failed = False
    table = []
    for fmt, size, med, rss, clusters, differences in rows:
        reference = "silencedetect" if fmt == "wav" else "decode"
        limit_index = 0 if fmt == "wav" else 1
        ratios, verdicts = {}, []
        for mode in MODES:
            ratios[mode] = med[mode][0] / med[reference][0]
            limit = TARGETS[mode][limit_index]
            ok = ratios[mode] <= limit and rss[mode] < RSS_LIMIT_MB
            failed |= not ok
            verdicts.append("%s <= %.1f x %s, RSS < %.0f MB: %s"
                            % (mode, limit, reference, RSS_LIMIT_MB, "ok" if ok else "MISSED"))
            table.append(parallel_row(fmt, mode, med, rss, reference, limit, differences, parallel))
            failed |= table[-1][-1] != "ok"
        cells = ["%6.2f (%5.2f)" % med[name] for name in ("threshold", "automatic", "silencedetect", "decode")]
        print("%-6s %6.1f %14s %14s %14s %14s %8.2f %8.2f %8.1f %8.1f %4d/%-4d  %s"
              % (fmt, size, cells[0], cells[1], cells[2], cells[3], ratios["threshold"], ratios["automatic"],
                 rss["threshold"], rss["automatic"], len(clusters["threshold"]), len(clusters["automatic"]),
                 "; ".join(verdicts)))
    print()
    print("--jobs 1 against parallel; ratios are --jobs 1 / parallel, each to its target's reference:"
          if parallel else "The same against the targets:")
    print()
    print_markdown(("file / mode", "--jobs 1 wall (CPU)", "parallel wall (CPU)", "ffmpeg reference", "ratio",
                    "target", "RSS MB", "identical", "result"), table)
    for fmt, _, _, _, _, differences in rows:
        for mode, difference in differences.items():
            print("%s %s: clusters differ: %s" % (fmt.upper(), mode, difference))
    print()
    return 1 if failed else 0


def parallel_row(fmt, mode, med, rss, reference, limit, differences, parallel):
    """One row of the comparison table; its last cell says ok or what missed."""
    single_ratio = med[mode][0] / med[reference][0]
    missed = []
    if single_ratio > limit:
        missed.append("--jobs 1 speed")
    if rss[mode] >= RSS_LIMIT_MB:
        missed.append("--jobs 1 RSS")
    ffmpeg_reference = "%s %s" % (reference, timing(med[reference]))
    single_target = "<= %s x %s" % (limit_text(limit), reference)
    if not parallel:
        if mode in differences:
            missed.append("clusters differ between runs")
        return ("%s %s" % (fmt.upper(), mode), timing(med[mode]), "-", ffmpeg_reference, "%.2f" % single_ratio,
                single_target, "%.1f (< %.0f)" % (rss[mode], RSS_LIMIT_MB), "n/a (no --jobs)",
                "MISSED: " + ", ".join(missed) if missed else "ok")
    name = mode + " parallel"
    target = PARALLEL_TARGETS[mode][0 if fmt == "wav" else 1]
    if target is None:
        # No speed target of its own: shown against the single-threaded reference.
        parallel_ratio = med[name][0] / med[reference][0]
        parallel_target = "-"
    else:
        against = mode if target[0] == "jobs 1" else target[0]
        parallel_ratio = med[name][0] / med[against][0]
        parallel_target = "<= %s x %s" % (limit_text(target[1]), "--jobs 1" if target[0] == "jobs 1" else target[0])
        if parallel_ratio > target[1]:
            missed.append("parallel speed")
    if rss[name] >= PARALLEL_RSS_LIMIT_MB:
        missed.append("parallel RSS")
    identical = "identical" if mode not in differences else "DIFFERENT"
    if mode in differences:
        missed.append("clusters differ")
    return ("%s %s" % (fmt.upper(), mode), timing(med[mode]), timing(med[name]), ffmpeg_reference,
            "%.2f / %.2f" % (single_ratio, parallel_ratio), "%s / %s" % (single_target, parallel_target),
            "%.1f / %.1f (< %.0f / %.0f)" % (rss[mode], rss[name], RSS_LIMIT_MB, PARALLEL_RSS_LIMIT_MB),
            identical, "MISSED: " + ", ".join(missed) if missed else "ok")


def print_markdown(header, rows):
    """A markdown table with padded columns, readable as it is."""
    widths = [max(len(str(row[i])) for row in [header] + list(rows)) for i in range(len(header))]
    for row in [header, ["-" * w for w in widths]] + list(rows):
        print("| " + " | ".join(str(cell).ljust(w) for cell, w in zip(row, widths)) + " |")


if __name__ == "__main__":
    sys.exit(main())
