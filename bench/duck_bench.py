#!/usr/bin/env python3
"""Speed of the whole ducking job on one-hour files with a filler.

With a filler the job makes two analyses: the dialogue's speech and the
music's silences. This measures, on the same files in one run:

  dialogue   quelvo-cli analyze DIALOGUE --json --jobs 1
  music      quelvo-cli analyze MUSIC --music --json --jobs 1
  duck       quelvo-cli duck --dialogue DIALOGUE --music MUSIC --filler FILLER --format F --jobs 1
  parallel   the same duck with the default --jobs (no option: the machine's
             cores), or with --jobs N when given --jobs N

for both formats (1.9 and 1.6), and checks the targets:

  duck --jobs 1     <= 1.2 x (dialogue + music)
  duck parallel     <= 0.65 x (dialogue + music), peak RSS < 96 MB
  the project written in parallel is byte for byte the one --jobs 1 writes
  (each round writes both to their own file with --force and compares them)

The analyses are the single-threaded ones, measured in the same rounds. The
machine's core count (os.cpu_count()) and the --jobs used are printed with
the figures: on a machine with one core the parallel target cannot be met.
duck runs without --json, which would add the loudness of both files for
its summary: the analyses are what is compared.
A quelvo-cli whose `duck --help` does not mention --jobs is measured on its
default path only, against the single-threaded target, and says so.

The dialogue is the analysis benchmark's one-hour WAV (make_long_dialogue.sh);
the music is an hour of the shared corpus's music with silent stretches
(or a synthesised bed with gaps), as M4A. Exits 1 when a target is missed or
the projects differ. The default three rounds took 2 minutes on a 2-core
machine shared with builds. Usage:

  bench/duck_bench.py [--cli PATH] [--runs N] [--jobs N] [--dir /tmp/quelvo-bench]

Several microphones: with --microphones N (2 to 8) it measures instead one
duck of N one-hour dialogue files (the one-hour WAV and N - 1 copies of it
started elsewhere and resampled, so each holds its own speech at its own
rate) and the music, in parallel, against the sum of the N dialogue analyses
and the music's, each with --jobs 1:

  duck --dialogue D1 ... --dialogue DN --music MUSIC --filler FILLER, parallel
      <= 0.65 x (dialogue 1 + ... + dialogue N + music)

  bench/duck_bench.py --microphones 3 [--runs N] [--jobs N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

from analysis_bench import (HERE, PARALLEL_RSS_LIMIT_MB, find_cli, limit_text, machine_line, measure, parallel_options,
                            print_markdown, supports_jobs, timing, warm)

TARGET = 1.2
PARALLEL_TARGET = 0.65
FORMATS = ("1.9", "1.6")


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


MICROPHONE_RATES = (48000, 44100, 32000, 22050, 16000, 48000, 44100, 32000)


def make_microphones(dialogue, out_dir, count):
    """The one-hour dialogue and count - 1 others: the same hour started
    20 minutes further each time (wrapping round) at another rate."""
    paths = [dialogue]
    ff = ["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
    for k in range(1, count):
        path = os.path.join(out_dir, "long_dialogue_1h_mic%d.wav" % (k + 1))
        if not os.path.exists(path):
            start = (1200 * k) % 3600
            graph = ("[0]atrim=start=%d,asetpts=PTS-STARTPTS[a];[1]atrim=end=%d[b];[a][b]concat=n=2:v=0:a=1"
                     % (start, start))
            subprocess.run(ff + ["-i", dialogue, "-i", dialogue, "-filter_complex", graph,
                                 "-ar", str(MICROPHONE_RATES[k]), "-c:a", "pcm_s16le", path], check=True)
        paths.append(path)
    return paths


def microphones_main(args, cli, dialogue, music, filler, env):
    """The several-microphone measure; returns the exit status."""
    mics = make_microphones(dialogue, args.dir, args.microphones)
    for path in mics:
        warm(path)
    commands = {"dialogue %d" % (k + 1): [cli, "analyze", path, "--json", "--jobs", "1"] for k, path in enumerate(mics)}
    commands["music"] = [cli, "analyze", music, "--music", "--json", "--jobs", "1"]
    duck = [cli, "duck", "--music", music, "--filler", filler, "--format", "1.9", "--force",
            "--output", os.path.join(args.dir, "duck_bench_mics.fcpxml")]
    for path in mics:
        duck += ["--dialogue", path]
    commands["duck parallel"] = duck + parallel_options(args.jobs)
    samples = {name: [] for name in commands}
    for _ in range(max(1, args.runs)):
        for name, cmd in commands.items():
            samples[name].append(measure(cmd, env)[:3])
    med = {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
           for name, runs in samples.items()}
    rss = {name: max(s[2] for s in runs) for name, runs in samples.items()}
    analyses = sum(med[name][0] for name in commands if name != "duck parallel")
    ratio = med["duck parallel"][0] / analyses
    print()
    print("%d one-hour dialogue files (WAV, %s Hz) and music (M4A) with a filler; %d runs each, median wall time"
          % (len(mics), ", ".join(str(r) for r in (48000,) + MICROPHONE_RATES[1:len(mics)]), args.runs))
    print(machine_line(args.jobs, True, "duck"))
    print()
    print("%-14s %16s %8s" % ("command", "wall s (CPU s)", "RSS MB"))
    for name in commands:
        print("%-14s %16s %8.1f" % (name, timing(med[name]), rss[name]))
    ok = ratio <= PARALLEL_TARGET
    print("duck parallel / (sum of the %d analyses, --jobs 1, %.2f s) = %.2f  target <= %.2f: %s"
          % (len(commands) - 1, analyses, ratio, PARALLEL_TARGET, "ok" if ok else "MISSED"))
    print()
    return 0 if ok else 1


def project_difference(single_path, parallel_path):
    """Where the project written in parallel first differs from the one of
    --jobs 1 (line and both texts, shortened), or None when byte-identical."""
    with open(single_path, "rb") as f:
        single = f.read()
    with open(parallel_path, "rb") as f:
        parallel = f.read()
    if single == parallel:
        return None
    single_lines, parallel_lines = single.splitlines(), parallel.splitlines()
    for number, (want, have) in enumerate(zip(single_lines, parallel_lines), 1):
        if want != have:
            return "line %d is %r with --jobs 1 but %r in parallel" % (number, want[:120], have[:120])
    return "%d lines with --jobs 1, %d in parallel (or line ends differ)" % (len(single_lines), len(parallel_lines))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", help="quelvo-cli to measure (default: the build folders of this checkout)")
    parser.add_argument("--runs", type=int, default=3, help="runs per command; medians are shown")
    parser.add_argument("--jobs", type=int, help="--jobs of the parallel runs (default: none given, "
                        "so quelvo-cli uses the machine's cores)")
    parser.add_argument("--dir", default="/tmp/quelvo-bench", help="where the one-hour files are kept")
    parser.add_argument("--microphones", type=int, default=1,
                        help="measure one duck of this many one-hour dialogue files instead (2 to 8)")
    args = parser.parse_args()
    if not 1 <= args.microphones <= 8:
        parser.error("--microphones takes 1 to 8")

    cli = find_cli(args.cli)
    parallel = supports_jobs(cli, "duck") and supports_jobs(cli, "analyze")
    subprocess.run([os.path.join(HERE, "make_long_dialogue.sh"), args.dir], check=True)
    dialogue = os.path.join(args.dir, "long_dialogue_1h.wav")
    music, filler = make_music(args.dir)
    for path in (dialogue, music, filler):
        warm(path)
    env = dict(os.environ, QUELVO_CONFIG_DIR=tempfile.mkdtemp(prefix="quelvo-bench-settings-"))
    single = ["--jobs", "1"] if parallel else []
    if args.microphones > 1:
        return microphones_main(args, cli, dialogue, music, filler, env)

    def duck(fmt, output, jobs):
        return [cli, "duck", "--dialogue", dialogue, "--music", music, "--filler", filler,
                "--format", fmt, "--output", output, "--force"] + jobs

    commands = {
        "dialogue": [cli, "analyze", dialogue, "--json"] + single,
        "music": [cli, "analyze", music, "--music", "--json"] + single,
    }
    outputs = {}  # format: (the --jobs 1 project, the parallel one)
    for fmt in FORMATS:
        outputs[fmt] = tuple(os.path.join(args.dir, "duck_bench%s.%s.fcpxml" % (suffix, fmt.replace(".", "_")))
                             for suffix in ("", "-parallel"))
        commands["duck " + fmt] = duck(fmt, outputs[fmt][0], single)
        if parallel:
            commands["duck %s parallel" % fmt] = duck(fmt, outputs[fmt][1], parallel_options(args.jobs))
    samples = {name: [] for name in commands}
    differences = {}  # format: the first difference found, if any
    for _ in range(max(1, args.runs)):
        for name, cmd in commands.items():
            wall, cpu, rss, _ = measure(cmd, env)
            samples[name].append((wall, cpu, rss))
        for fmt in FORMATS if parallel else ():
            difference = project_difference(*outputs[fmt])
            if difference and fmt not in differences:
                differences[fmt] = difference
                print("duck_bench: the %s projects differ: %s" % (fmt, difference), file=sys.stderr)
    med = {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
           for name, runs in samples.items()}
    rss = {name: max(s[2] for s in runs) for name, runs in samples.items()}

    analyses = med["dialogue"][0] + med["music"][0]
    analyses_cpu = med["dialogue"][1] + med["music"][1]
    print()
    print("One-hour dialogue (WAV) and music (M4A) with a filler; %d runs each, median wall time" % args.runs)
    print(machine_line(args.jobs, parallel, "duck"))
    print()
    print("Single-threaded (%s):" % ("--jobs 1" if parallel else "the default path"))
    print("%-10s %8s %8s" % ("command", "s", "RSS MB"))
    for name in ["dialogue", "music"] + ["duck " + fmt for fmt in FORMATS]:
        print("%-10s %8.2f %8.1f" % (name, med[name][0], rss[name]))
    failed = False
    for fmt in FORMATS:
        ratio = med["duck " + fmt][0] / analyses
        ok = ratio <= TARGET
        failed |= not ok
        print("duck %s / (dialogue + music) = %.2f  target <= %.1f: %s" % (fmt, ratio, TARGET, "ok" if ok else "MISSED"))
    print()

    reference = "dialogue + music %.2f s (%.2f)" % (analyses, analyses_cpu)
    table = [("dialogue analysis", timing(med["dialogue"]), "-", "-", "-", "-", "%.1f" % rss["dialogue"], "-", "-"),
             ("music analysis", timing(med["music"]), "-", "-", "-", "-", "%.1f" % rss["music"], "-", "-")]
    for fmt in FORMATS:
        name = "duck " + fmt
        ratio = med[name][0] / analyses
        missed = ["--jobs 1 speed"] if ratio > TARGET else []
        if not parallel:
            table.append((name, timing(med[name]), "-", reference, "%.2f" % ratio, "<= %s" % limit_text(TARGET),
                          "%.1f" % rss[name], "n/a (no --jobs)", "MISSED: " + ", ".join(missed) if missed else "ok"))
            continue
        name_parallel = name + " parallel"
        parallel_ratio = med[name_parallel][0] / analyses
        if parallel_ratio > PARALLEL_TARGET:
            missed.append("parallel speed")
        if rss[name_parallel] >= PARALLEL_RSS_LIMIT_MB:
            missed.append("parallel RSS")
        if fmt in differences:
            missed.append("projects differ")
        failed |= bool(missed)
        table.append((name, timing(med[name]), timing(med[name_parallel]), reference,
                      "%.2f / %.2f" % (ratio, parallel_ratio),
                      "<= %s / <= %s" % (limit_text(TARGET), limit_text(PARALLEL_TARGET)),
                      "%.1f / %.1f (< %.0f)" % (rss[name], rss[name_parallel], PARALLEL_RSS_LIMIT_MB),
                      "DIFFERENT" if fmt in differences else "identical",
                      "MISSED: " + ", ".join(missed) if missed else "ok"))
    print("--jobs 1 against parallel; ratios are --jobs 1 / parallel, both to the single-threaded analyses:"
          if parallel else "The same against the targets:")
    print()
    print_markdown(("file / mode", "--jobs 1 wall (CPU)", "parallel wall (CPU)", "reference", "ratio", "target",
                    "RSS MB", "identical", "result"), table)
    for fmt, difference in differences.items():
        print("the %s projects differ: %s" % (fmt, difference))
    print()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
