#!/usr/bin/env python3
"""Speed of a feature film's titles project: 1,500 two-line subtitles.

Writes an SRT of 1,500 blocks (about two hours) into a temporary folder and
measures `quelvo-cli titles` on it, with and without the patch, both
formats. The titles window runs the same generator on a worker thread, so
its export takes the same time plus the progress updates. Usage:

  bench/titles_bench.py [--cli PATH] [--runs N] [--count 1500]
"""
import argparse
import os
import statistics
import tempfile

from analysis_bench import find_cli, measure


def stamp(seconds):
    ms = int(round(seconds * 1000))
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def write_srt(path, count):
    with open(path, "w", encoding="utf-8") as f:
        for i in range(count):
            start = 2 + i * 4.7
            f.write("%d\n%s --> %s\nLine %d of the film, with some words\nand a second line <i>here</i>\n\n"
                    % (i + 1, stamp(start), stamp(start + 3.9), i + 1))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per case; medians are shown")
    parser.add_argument("--count", type=int, default=1500, help="subtitles in the file")
    args = parser.parse_args()
    cli = find_cli(args.cli)
    with tempfile.TemporaryDirectory() as tmp:
        srt = os.path.join(tmp, "film.srt")
        write_srt(srt, args.count)
        env = dict(os.environ, QUELVO_CONFIG_DIR=tmp)
        for patch in (False, True):
            settings = os.path.join(tmp, "settings.json")
            with open(settings, "w") as f:
                f.write('{"addPatch": %s}' % ("true" if patch else "false"))
            for version in ("1.9", "1.6"):
                out = os.path.join(tmp, "film.fcpxml")
                cmd = [cli, "titles", srt, "--format", version, "--settings", settings, "--output", out]
                runs = [measure(cmd, env) for _ in range(args.runs)]
                wall = statistics.median(r[0] for r in runs)
                rss = max(r[2] for r in runs)
                print("titles  %5d subtitles  FCPXML %s  patch %-3s  %.3f s  peak %.0f MB  %d KB written"
                      % (args.count, version, "on" if patch else "off", wall, rss, os.path.getsize(out) // 1024))


if __name__ == "__main__":
    main()
