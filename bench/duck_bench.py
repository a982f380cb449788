#!/usr/bin/env python3
"""Speed of the whole ducking job on one-hour files with a filler.

With a filler the job makes two analyses: the dialogue's speech and the
music's silences. This measures, on the same files in one run:

  dialogue   quelvo-cli analyze DIALOGUE --json
  music      quelvo-cli analyze MUSIC --music --json
  duck       quelvo-cli duck --dialogue DIALOGUE --music MUSIC --filler FILLER --format F

and checks the target: duck <= 1.2 x (dialogue + music), for both formats.
The dialogue is the analysis benchmark's one-hour WAV (make_long_dialogue.sh);
the music is an hour of the shared corpus's music with silent stretches
(or a synthesised bed with gaps), as M4A. Usage:

  bench/duck_bench.py [--cli PATH] [--runs N] [--dir /tmp/quelvo-bench]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

from analysis_bench import HERE, find_cli, measure, warm

TARGET = 1.2


def make_music(out_dir):
    """An hour of music with silent stretches, and a short filler."""
    music = os.path.join(out_dir, "long_music_1h.m4a")
    filler = os.path.join(out_dir, "filler.m4a")
    shared = os.environ.get("QUELVO_SHARED_DIR", os.path.join(HERE, "..", "..", "shared"))
    source = os.path.join(shared, "testdata", "music", "dev_music_gaps.wav")
    ff = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
    if not os.path.exists(source):
        source = os.path.join(out_dir, "music_gaps.wav")
        # 8 s of tone, 2 s of silence, repeated.
        subprocess.run(ff + ["-f", "lavfi", "-i", "sine=frequency=220:duration=8", "-af",
                             "apad=pad_dur=2", source], check=True)
    if not os.path.exists(music):
        subprocess.run(ff + ["-stream_loop", "-1", "-i", source, "-t", "3600", "-ar", "44100",
                             "-c:a", "aac", "-b:a", "128k", music], check=True)
    if not os.path.exists(filler):
        subprocess.run(ff + ["-f", "lavfi", "-i", "sine=frequency=330:duration=10", "-c:a", "aac", filler],
                       check=True)
    return music, filler


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per command; medians are shown")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    args = parser.parse_args()

    cli = find_cli(args.cli)
    subprocess.run([os.path.join(HERE, "make_long_dialogue.sh"), args.dir], check=True)
    dialogue = os.path.join(args.dir, "long_dialogue_1h.wav")
    music, filler = make_music(args.dir)
    for path in (dialogue, music, filler):
        warm(path)
    env = dict(os.environ, QUELVO_CONFIG_DIR=tempfile.mkdtemp(prefix="quelvo-bench-settings-"))
    output = os.path.join(args.dir, "duck_bench.fcpxml")

    commands = {
        "dialogue": [cli, "analyze", dialogue, "--json"],
        "music": [cli, "analyze", music, "--music", "--json"],
        "duck 1.9": [cli, "duck", "--dialogue", dialogue, "--music", music, "--filler", filler,
                     "--format", "1.9", "--output", output, "--json", "--force"],
        "duck 1.6": [cli, "duck", "--dialogue", dialogue, "--music", music, "--filler", filler,
                     "--format", "1.6", "--output", output, "--json", "--force"],
    }
    samples = {name: [] for name in commands}
    for _ in range(max(1, args.runs)):
        for name, cmd in commands.items():
            wall, cpu, rss, _ = measure(cmd, env)
            samples[name].append((wall, cpu, rss))
    med = {name: statistics.median(s[0] for s in runs) for name, runs in samples.items()}
    rss = {name: max(s[2] for s in runs) for name, runs in samples.items()}

    analyses = med["dialogue"] + med["music"]
    print()
    print("One-hour dialogue (WAV) and music (M4A) with a filler; %d runs each, median wall time" % args.runs)
    print("%-10s %8s %8s" % ("command", "s", "RSS MB"))
    for name in commands:
        print("%-10s %8.2f %8.1f" % (name, med[name], rss[name]))
    failed = False
    for fmt in ("duck 1.9", "duck 1.6"):
        ratio = med[fmt] / analyses
        ok = ratio <= TARGET
        failed |= not ok
        print("%s / (dialogue + music) = %.2f  target <= %.1f: %s" % (fmt, ratio, TARGET, "ok" if ok else "MISSED"))
    print()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
