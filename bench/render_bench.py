#!/usr/bin/env python3
"""Speed and memory of `quelvo-cli render` on one hour with a filler.

Measures, on the same files in one run:

  decode     ffmpeg -i F -f null -   for the dialogue, the music and the filler
             (the time of decoding the three inputs once; summed)
  render     quelvo-cli render --dialogue D --music M --filler F --output X.wav
             (the whole job: speech and music analysis, the mix with its true
             peak measured for the no-clip rule, the WAV)
  render --json  the same with the loudness of dialogue, music and mix
             measured for the summary (shown, not part of the target)

Targets: render <= 3 x decode, and peak RSS under 96 MB. The dialogue is the
analysis benchmark's one-hour WAV (48 kHz stereo, make_long_dialogue.sh); the
music is an hour of the corpus's music with silent stretches as M4A (44.1 kHz,
so it is resampled), the filler a short M4A. Usage:

  bench/render_bench.py [--cli PATH] [--runs N] [--dir /tmp/quelvo-bench]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

from analysis_bench import HERE, find_cli, measure, warm
from duck_bench import make_music

SPEED_TARGET = 3.0
RSS_LIMIT_MB = 96.0


def hour_inputs(folder):
    """The one-hour dialogue, music and filler in `folder` (made once, read
    into the page cache), and an environment with fresh settings."""
    subprocess.run([os.path.join(HERE, "make_long_dialogue.sh"), folder], check=True)
    dialogue = os.path.join(folder, "long_dialogue_1h.wav")
    music, filler = make_music(folder)
    for path in (dialogue, music, filler):
        warm(path)
    env = dict(os.environ, QUELVO_CONFIG_DIR=tempfile.mkdtemp(prefix="quelvo-bench-settings-"))
    return dialogue, music, filler, env


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per command; medians are shown")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    args = parser.parse_args()

    cli = find_cli(args.cli)
    dialogue, music, filler, env = hour_inputs(args.dir)
    output = os.path.join(args.dir, "render_bench_mix.wav")

    ff = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-i"]
    commands = {
        "decode dialogue": ff + [dialogue, "-f", "null", "-"],
        "decode music": ff + [music, "-f", "null", "-"],
        "decode filler": ff + [filler, "-f", "null", "-"],
        "render": [cli, "render", "--dialogue", dialogue, "--music", music, "--filler", filler,
                   "--output", output, "--force"],
        "render --json": [cli, "render", "--dialogue", dialogue, "--music", music, "--filler", filler,
                          "--output", output, "--json", "--force"],
    }
    samples = {name: [] for name in commands}
    summary = b""
    try:
        for _ in range(max(1, args.runs)):
            for name, cmd in commands.items():
                wall, cpu, rss, out = measure(cmd, env)
                samples[name].append((wall, cpu, rss))
                if name == "render --json":
                    summary = out
    finally:
        if os.path.exists(output):
            os.remove(output)
    med = {name: statistics.median(s[0] for s in runs) for name, runs in samples.items()}
    cpu = {name: statistics.median(s[1] for s in runs) for name, runs in samples.items()}
    rss = {name: max(s[2] for s in runs) for name, runs in samples.items()}
    decode = med["decode dialogue"] + med["decode music"] + med["decode filler"]

    print()
    print("One hour: dialogue WAV 48 kHz stereo, music M4A 44.1 kHz, filler M4A; %d runs, median" % args.runs)
    print("%-16s %8s %8s %8s" % ("command", "wall s", "cpu s", "RSS MB"))
    for name in commands:
        print("%-16s %8.2f %8.2f %8.1f" % (name, med[name], cpu[name], rss[name]))
    print("render summary: %s" % summary.decode(errors="replace").strip())
    ratio = med["render"] / decode
    speed_ok = ratio <= SPEED_TARGET
    rss_ok = rss["render"] < RSS_LIMIT_MB
    print("render / decode of the three inputs = %.2f  target <= %.1f: %s"
          % (ratio, SPEED_TARGET, "ok" if speed_ok else "MISSED"))
    print("render peak RSS %.1f MB  target < %.0f MB: %s" % (rss["render"], RSS_LIMIT_MB, "ok" if rss_ok else "MISSED"))
    print()
    return 0 if speed_ok and rss_ok else 1


if __name__ == "__main__":
    sys.exit(main())
