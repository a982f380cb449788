#!/usr/bin/env python3
"""Peak memory of `quelvo-cli titles` on a very long subtitle file.

Writes an SRT of 200,000 two-line subtitles (about 14 MB; the later ones run
past 100 hours) into a temporary folder, runs `quelvo-cli titles` on it under
/usr/bin/time -v with standard output thrown away, and prints the peak
resident memory beside the file's size. The target is a peak under 15 times
the file's size. Usage:

  bench/titles_memory_bench.py [--cli PATH] [--count 200000] [--format 1.9]
"""
import argparse
import os
import re
import subprocess
import tempfile

from analysis_bench import find_cli


def stamp(seconds):
    ms = int(round(seconds * 1000))
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def write_srt(path, count):
    with open(path, "w", encoding="utf-8") as f:
        for i in range(count):
            start = 2 + i * 4.7
            f.write("%d\n%s --> %s\nWords for title %d\nand more\n\n" % (i + 1, stamp(start), stamp(start + 3.9), i + 1))


def peak_rss_kb(cmd, env):
    result = subprocess.run(["/usr/bin/time", "-v"] + cmd, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise SystemExit("the command failed:\n" + result.stderr)
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr).group(1)), \
        re.search(r"Elapsed \(wall clock\) time.*: (\S+)", result.stderr).group(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--count", type=int, default=200000, help="subtitles in the file")
    parser.add_argument("--format", default="1.9", choices=("1.9", "1.6"))
    args = parser.parse_args()
    cli = find_cli(args.cli)
    with tempfile.TemporaryDirectory() as tmp:
        srt = os.path.join(tmp, "long.srt")
        write_srt(srt, args.count)
        out = os.path.join(tmp, "long.fcpxml")
        env = dict(os.environ, QUELVO_CONFIG_DIR=tmp)
        kb, wall = peak_rss_kb([cli, "titles", srt, "--format", args.format, "--output", out, "--force"], env)
        size = os.path.getsize(srt)
        print("titles  %d subtitles  FCPXML %s  file %.1f MB  document %.0f MB  peak %.0f MB  = %.1f x the file  "
              "(target < 15 x)  %s" % (args.count, args.format, size / 1e6, os.path.getsize(out) / 1e6, kb * 1024 / 1e6,
                                       kb * 1024 / size, wall))


if __name__ == "__main__":
    main()
