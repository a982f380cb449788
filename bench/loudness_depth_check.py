#!/usr/bin/env python3
"""Depth by loudness on the shared corpus, checked with an independent meter.

For every case of ../shared/testdata with each music file, this writes the
project (quelvo-cli duck --under LU --json), reads each speech interval's
ducked level from its keyframes and measures, with ffmpeg's ebur128 filter
only:

  speech    each speech interval's own integrated loudness in the dialogue
            file (the intervals `quelvo-cli analyze` prints, 10 ms edges); an
            interval shorter than 0.4 s is looped to fill the meter's block
  music     for each speech interval, the music file's own mean short-term
            loudness (energy mean of the 3 s readings every 100 ms) over the
            interval's fully ducked part, from the end of the fade down to
            the start of the fade up, plus the interval's ducked level; a
            part shorter than 3 s is looped to fill the meter's window. The
            music file is measured as it is, in its own format, as the
            editor's timeline plays it: so is it in the project and the mix.

Achieved distance = speech - music. The target: under every interval where
the gain did not hit its limits (0 dB / the overall level, or -60 dB) it lies
within 1.5 LU of the requested distance; at least 90% of all of them. Intervals where the
music is silent are left out (nothing to duck). Each case runs at a threshold
12 dB under its quietest speaker's loudest sample (the truth's utterances; the
corpus README's advice for quiet speakers), at most -24 dBFS.

--formats also checks that the depth does not depend on the dialogue's
format: an 8 kHz mono and a 48 kHz stereo copy of one dialogue, under one
music, must give the same "music" figure (within 0.5 LU of ffmpeg's on the
file) and ducked levels that differ only as their "dialogue" figures do
(within 1 dB). Usage:

  bench/loudness_depth_check.py [--cli PATH] [--under 18] [--dir /tmp/quelvo-loudness] [--formats]
"""
import argparse
import json
import math
import os
import re
import subprocess
import sys

from analysis_bench import HERE, find_cli

TOLERANCE = 1.5
SHARE = 0.90
POST_FADE_IN = 0.3   # the stored defaults: the ducked part of an interval
PRE_FADE_OUT = 0.3
LIMITS = (0.0, -60.0)
READING = re.compile(r"t:\s*([0-9.]+).*?\bS:\s*(-?[0-9.]+)")
INTEGRATED = re.compile(r"^\s*I:\s*(-?[0-9.]+) LUFS", re.M)
LEVEL = re.compile(r'<keyframe time=[^>]*value="(-?[0-9.]+)dB"')


def ffmpeg_ebur128(args, filters):
    cmd = ["ffmpeg", "-nostdin", "-hide_banner", "-nostats"] + args + ["-af", filters + ",ebur128", "-f", "null", "-"]
    return subprocess.run(cmd, capture_output=True, text=True, errors="replace").stderr


def readings(text):
    return [(float(t), float(s)) for t, s in READING.findall(text)]


def integrated(text):
    found = INTEGRATED.findall(text)
    value = float(found[-1]) if found else None
    return value if value is not None and value > -70 else None


def energy_mean(values):
    if not values:
        return None
    e = sum(10 ** (v / 10) if v > -70 else 0.0 for v in values) / len(values)
    return 10 * math.log10(e) if e > 0 else None


def sample_rate(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=sample_rate",
                          "-of", "csv=p=0", path], capture_output=True, text=True).stdout
    return int(out.strip().splitlines()[0])


def interval_loudness(path, rate, start, end):
    """One interval's own integrated loudness; a short one looped to 4 s."""
    first, last = round(start * rate), round(end * rate)
    trim = "atrim=start_sample=%d:end_sample=%d,asetpts=N/SR/TB" % (first, last)
    if end - start < 0.4:
        trim += ",aloop=loop=-1:size=%d,atrim=end=4" % (last - first)
    return integrated(ffmpeg_ebur128(["-i", path], trim))


def part_loudness(path, rate, whole, part):
    start, end = part
    if end - start >= 3.0:
        return energy_mean([s for t, s in whole if t - 3.0 >= start - 1e-6 and t <= end + 1e-6])
    # Shorter than the meter's window: loop the part until the window is full.
    first, last = round(start * rate), round(end * rate)
    text = ffmpeg_ebur128(["-i", path], "atrim=start_sample=%d:end_sample=%d,asetpts=N/SR/TB,"
                          "aloop=loop=-1:size=%d,atrim=end=4.05" % (first, last, last - first))
    return energy_mean([s for t, s in readings(text) if t >= 3.0 - 1e-6])


def ducked_part(s, e):
    part = (s + POST_FADE_IN, e - PRE_FADE_OUT)
    if part[1] - part[0] < 0.1:
        mid = (s + e) / 2
        part = (mid - 0.05, mid + 0.05)
    return part


def duck(cli, env, dialogue, music, under, out):
    r = subprocess.run([cli, "duck", "--dialogue", dialogue, "--music", music, "--under", str(under), "--format", "1.9",
                        "--json", "--force", "--output", out], env=env, capture_output=True, text=True)
    if r.returncode != 0:
        return None, None, r.stderr.strip().splitlines()[-1] if r.stderr.strip() else "exit %d" % r.returncode
    levels = [float(v) for v in LEVEL.findall(open(out, encoding="utf-8", errors="replace").read())]
    return json.loads(r.stdout), levels[1::4], None


def threshold_for(corpus, case):
    peaks = [float(case.get("speech_peak_dbfs", -6.0))]
    truth = os.path.join(corpus, case.get("truth", ""))
    if case.get("truth") and os.path.exists(truth):
        peaks += [u["peak_dbfs_in_file"] for u in json.load(open(truth)).get("utterances", [])
                  if u.get("peak_dbfs_in_file") is not None]
    return min(-24.0, min(peaks) - 12.0)


def env_for(directory, threshold):
    config = os.path.join(directory, "config-%d" % abs(int(threshold)))
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "settings.json"), "w") as f:
        json.dump({"duck.threshold": threshold}, f)
    return dict(os.environ, QUELVO_CONFIG_DIR=config)


def check_formats(cli, corpus, manifest, args):
    """The same dialogue as 8 kHz mono and 48 kHz stereo under one music."""
    case = next(c for c in manifest["cases"] if c["name"].startswith("dev01"))
    source = os.path.join(corpus, case["dialogue"])
    music = os.path.join(corpus, sorted(m["file"] for m in manifest["music"])[0])
    copies = {"8k mono": ["-ar", "8000", "-ac", "1"], "48k stereo": ["-ar", "48000", "-ac", "2"]}
    env = env_for(args.dir, threshold_for(corpus, case))
    results = {}
    for name, opts in copies.items():
        path = os.path.join(args.dir, "formats-%s.wav" % name.replace(" ", "-"))
        subprocess.run(["ffmpeg", "-nostdin", "-y", "-v", "error", "-i", source] + opts + [path], check=True)
        summary, levels, error = duck(cli, env, path, music, args.under, path + ".fcpxml")
        if error:
            print("formats: duck failed on the %s copy: %s" % (name, error))
            return False
        results[name] = (summary["loudness"], levels)
    reference = integrated(ffmpeg_ebur128(["-i", music], "anull"))
    (low, low_levels), (high, high_levels) = results["8k mono"], results["48k stereo"]
    shift = high["dialogue"] - low["dialogue"]
    ok = abs(low["music"] - high["music"]) < 0.01 and abs(high["music"] - reference) <= 0.5
    worst = 0.0
    for a, b in zip(low_levels, high_levels):
        if a in LIMITS or b in LIMITS:
            continue
        worst = max(worst, abs((b - a) - shift))
    ok = ok and len(low_levels) == len(high_levels) and worst <= 1.0
    print("\nformats (%s under %s): music %.2f / %.2f LUFS (ffmpeg on the file %.2f), dialogue %.2f / %.2f LUFS,"
          " levels %s / %s, worst level difference off the dialogue's by %.2f dB -> %s"
          % (os.path.basename(source), os.path.basename(music), low["music"], high["music"], reference,
             low["dialogue"], high["dialogue"], low_levels, high_levels, worst, "met" if ok else "NOT met"))
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli")
    parser.add_argument("--under", type=float, default=18.0)
    parser.add_argument("--dir", default="/tmp/quelvo-loudness")
    parser.add_argument("--json", help="also write the table as JSON here")
    parser.add_argument("--formats", action="store_true", help="also check that the dialogue's format does not matter")
    parser.add_argument("--case", help="only the cases whose name contains this")
    args = parser.parse_args()
    cli = find_cli(args.cli)
    shared = os.environ.get("QUELVO_SHARED_DIR", os.path.join(HERE, "..", "..", "shared"))
    corpus = os.path.join(shared, "testdata")
    if not os.path.exists(os.path.join(corpus, "manifest.json")):
        sys.exit("loudness_depth_check: no corpus at %s (set QUELVO_SHARED_DIR)" % corpus)
    manifest = json.load(open(os.path.join(corpus, "manifest.json")))
    musics = sorted(m["file"] for m in manifest["music"])
    os.makedirs(args.dir, exist_ok=True)
    music_readings = {}
    rows, total, within, free_total, free_within, silent_total = [], 0, 0, 0, 0, 0
    print("%-40s %-16s %9s %6s %9s %9s %5s %7s %s" % ("case", "music", "dlg LUFS", "req", "achieved", "worst",
                                                      "in", "free in", "notes"))
    for case in manifest["cases"]:
        if args.case and args.case not in case["name"]:
            continue
        dialogue = os.path.join(corpus, case["dialogue"])
        env = env_for(args.dir, threshold_for(corpus, case))
        analysis = json.loads(subprocess.run([cli, "analyze", dialogue, "--json"], env=env, check=True,
                                             capture_output=True, text=True).stdout)
        intervals = analysis["clusters"]
        rate = sample_rate(dialogue)
        speech = [interval_loudness(dialogue, rate, s, e) for s, e in intervals]
        for music_rel in musics:
            music = os.path.join(corpus, music_rel)
            name = "%s__%s" % (case["name"], os.path.splitext(os.path.basename(music))[0])
            summary, levels, error = duck(cli, env, dialogue, music, args.under, os.path.join(args.dir, name + ".fcpxml"))
            if error:
                print("%-40s duck failed: %s" % (name, error))
                continue
            if not intervals:
                print("%-40s %-16s %9s %6.1f %9s %9s %5s %7s %s" % (case["name"], os.path.basename(music)[:16], "-",
                                                                   args.under, "-", "-", "-", "-", "no speech"))
                continue
            if len(levels) != len(intervals):
                print("%-40s the project's %d ducked levels do not match the %d intervals" % (name, len(levels),
                                                                                             len(intervals)))
                continue
            if music not in music_readings:
                music_readings[music] = (sample_rate(music), readings(ffmpeg_ebur128(["-i", music], "anull")))
            music_rate, whole = music_readings[music]
            distances, notes, silent, free, free_ok = [], [], 0, 0, 0
            for (s, e), d, level in zip(intervals, speech, levels):
                m = part_loudness(music, music_rate, whole, ducked_part(s, e))
                if m is None or d is None:
                    silent += 1
                    continue
                achieved = d - (m + level)
                distances.append(achieved)
                if level not in LIMITS and level < 0:
                    free += 1
                    free_ok += abs(achieved - args.under) <= TOLERANCE
            ok = sum(1 for a in distances if abs(a - args.under) <= TOLERANCE)
            total += len(distances)
            within += ok
            free_total += free
            free_within += free_ok
            silent_total += silent
            worst = max(distances, key=lambda a: abs(a - args.under)) if distances else None
            mean = sum(distances) / len(distances) if distances else None
            if silent:
                notes.append("%d silent" % silent)
            row = {"case": case["name"], "music": os.path.basename(music), "speechLUFS": speech,
                   "quelvoDialogueLUFS": summary["loudness"]["dialogue"], "quelvoMusicLUFS": summary["loudness"]["music"],
                   "levels": levels, "requested": args.under, "achieved": distances, "within": ok,
                   "intervals": len(intervals), "freeWithin": free_ok, "free": free}
            rows.append(row)
            dlg = summary["loudness"]["dialogue"]
            print("%-40s %-16s %9s %6.1f %9s %9s %5s %7s %s" % (
                case["name"], os.path.basename(music)[:16], "%.1f" % dlg if dlg is not None else "-", args.under,
                "%.2f" % mean if mean is not None else "-", "%.2f" % worst if worst is not None else "-",
                "%d/%d" % (ok, len(distances)), "%d/%d" % (free_ok, free), ", ".join(notes)))
    share = within / total if total else 0.0
    print("\nintervals measured: %d, within %.1f LU of %.1f: %d (%.1f%%), music or speech silent (left out): %d"
          % (total, TOLERANCE, args.under, within, 100 * share, silent_total))
    print("where the gain limits are not hit: %d of %d within" % (free_within, free_total))
    met = share >= SHARE and free_within == free_total
    print("target: at least %.0f%%, and every interval off the limits -> %s" % (100 * SHARE, "met" if met else "NOT met"))
    if args.formats:
        met = check_formats(cli, corpus, manifest, args) and met
    if args.json:
        with open(args.json, "w") as f:
            json.dump(rows, f, indent=1)
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
