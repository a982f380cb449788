#!/usr/bin/env python3
"""Speed and memory of the dialogue analysis on a one-hour recording.

Makes (once) a one-hour 48 kHz stereo dialogue as WAV, MP3 and M4A with
make_long_dialogue.sh, then measures on the same files in one run:

  threshold      quelvo-cli analyze FILE --json --detect threshold
                 (dialogue settings at -24 dB, gap closing)
  automatic      quelvo-cli analyze FILE --json --detect automatic
  silencedetect  ffmpeg -i FILE -af silencedetect=n=-24dB:d=0.5 -f null -
  decode         ffmpeg -i FILE -f null -        (the decoder alone)

and prints the median wall time (CPU time in brackets) of each, our peak
resident memory in each mode, and the ratios against the targets:

               threshold                   automatic
  WAV          <= 0.5 x silencedetect      <= 1.0 x silencedetect
  MP3, M4A     <= 1.1 x decode             <= 1.3 x decode
  every format peak RSS < 64 MB in both modes

Every tool runs single-threaded (quelvo-cli decodes on one thread; ffmpeg
is given -threads 1 for its decoder and filters).

Exits 1 when a target is missed. Needs only python3, ffmpeg and a built
quelvo-cli (scripts/build.sh). Usage:

  bench/analysis_bench.py [--cli PATH] [--runs N] [--dir /tmp/quelvo-bench]
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
MODES = ("threshold", "automatic")
# Largest ratio to silencedetect (WAV) and to the decoder alone (MP3, M4A).
TARGETS = {"threshold": (0.5, 1.1), "automatic": (1.0, 1.3)}


def find_cli(given):
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


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per tool and format; medians are shown")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    args = parser.parse_args()

    cli = find_cli(args.cli)
    subprocess.run([os.path.join(HERE, "make_long_dialogue.sh"), args.dir], check=True)
    config = tempfile.mkdtemp(prefix="quelvo-bench-settings-")
    env = dict(os.environ, QUELVO_CONFIG_DIR=config)  # default timings, -24 dB

    ffmpeg = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-filter_threads", "1", "-threads", "1", "-i"]
    rows = []
    for fmt in FORMATS:
        path = os.path.join(args.dir, "long_dialogue_1h." + fmt)
        warm(path)
        tools = {mode: ([cli, "analyze", path, "--json", "--detect", mode], env) for mode in MODES}
        tools["silencedetect"] = (ffmpeg + [path, "-af", "silencedetect=n=-24dB:d=0.5", "-f", "null", "-"], None)
        tools["decode"] = (ffmpeg + [path, "-f", "null", "-"], None)
        samples = {name: [] for name in tools}
        clusters = {}
        # Rounds alternate the tools, so that a busy moment on the machine
        # does not fall on one of them only.
        for _ in range(max(1, args.runs)):
            for name, (cmd, tool_env) in tools.items():
                wall, cpu, rss, out = measure(cmd, tool_env)
                samples[name].append((wall, cpu, rss))
                if name in MODES:
                    clusters[name] = len(json.loads(out)["clusters"])
        med = {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
               for name, runs in samples.items()}
        rss = {mode: max(s[2] for s in samples[mode]) for mode in MODES}
        rows.append((fmt, os.path.getsize(path) / 1e6, med, rss, clusters))

    print()
    print("One-hour dialogue, 48 kHz stereo; %d runs each, median wall time (CPU time) in seconds; %s"
          % (args.runs, os.uname().machine))
    header = ("format", "MB", "threshold", "automatic", "silencedetect", "decode", "thr/ref", "auto/ref",
              "RSS thr", "RSS auto", "clusters")
    print("%-6s %6s %14s %14s %14s %14s %8s %8s %8s %8s %9s  %s" % (header + ("targets",)))
    failed = False
    for fmt, size, med, rss, clusters in rows:
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
        cells = ["%6.2f (%5.2f)" % med[name] for name in ("threshold", "automatic", "silencedetect", "decode")]
        print("%-6s %6.1f %14s %14s %14s %14s %8.2f %8.2f %8.1f %8.1f %4d/%-4d  %s"
              % (fmt, size, cells[0], cells[1], cells[2], cells[3], ratios["threshold"], ratios["automatic"],
                 rss["threshold"], rss["automatic"], clusters["threshold"], clusters["automatic"],
                 "; ".join(verdicts)))
    print()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
