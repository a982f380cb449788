#!/usr/bin/env python3
"""Depth by loudness on the shared corpus, checked with an independent meter.

For every case of ../shared/testdata with each music file, this renders the
mix with its music stem (quelvo-cli render --under LU --stems) and measures,
with ffmpeg's ebur128 filter only:

  dialogue  integrated loudness of the dialogue file over its speech
            intervals (the intervals `quelvo-cli analyze` prints, 10 ms edges)
  music     for each speech interval, the stem's mean short-term loudness
            (energy mean of the 3 s readings every 100 ms) over the
            interval's fully ducked part, from the end of the fade down to
            the start of the fade up; a part shorter than 3 s is looped to
            fill the meter's window. The stem is corrected for the mix gain
            the render reports (the no-clip rule lowers the stem with the mix).

Achieved distance = dialogue - music. The target: under at least 90% of the
speech intervals it lies within 1.5 LU of the requested distance. Intervals
where the music is silent are left out (nothing to duck); intervals where the
gain hit its limits (0 dB / the overall level, or -60 dB) are counted and
named. Quiet-speaker cases run at a threshold 12 dB under their loudest
speech sample, as the corpus README advises. Usage:

  bench/loudness_depth_check.py [--cli PATH] [--under 18] [--dir /tmp/quelvo-loudness]
"""
import argparse
import json
import math
import os
import re
import shutil
import subprocess
import sys

from analysis_bench import HERE, find_cli

TOLERANCE = 1.5
SHARE = 0.90
POST_FADE_IN = 0.3   # the stored defaults: the ducked part of an interval
PRE_FADE_OUT = 0.3
READING = re.compile(r"t:\s*([0-9.]+).*?\bS:\s*(-?[0-9.]+)")
INTEGRATED = re.compile(r"^\s*I:\s*(-?[0-9.]+) LUFS", re.M)


def ffmpeg_ebur128(args, filters):
    cmd = ["ffmpeg", "-nostdin", "-hide_banner", "-nostats"] + args + ["-af", filters + ",ebur128", "-f", "null", "-"]
    return subprocess.run(cmd, capture_output=True, text=True, errors="replace").stderr


def readings(text):
    return [(float(t), float(s)) for t, s in READING.findall(text)]


def energy_mean(values):
    values = [v for v in values]
    if not values:
        return None
    e = sum(10 ** (v / 10) if v > -70 else 0.0 for v in values) / len(values)
    return 10 * math.log10(e) if e > 0 else None


def dialogue_loudness(path, intervals):
    select = "+".join("between(t,%.3f,%.3f)" % (s, e) for s, e in intervals)
    text = ffmpeg_ebur128(["-i", path], "asetnsamples=n=%d:p=0,aselect='%s',asetpts=N/SR/TB"
                          % (160, select))
    found = INTEGRATED.findall(text)
    return float(found[-1]) if found else None


def stem_loudness(stem, rate, whole, part):
    start, end = part
    if end - start >= 3.0:
        return energy_mean([s for t, s in whole if t - 3.0 >= start - 1e-6 and t <= end + 1e-6])
    # Shorter than the meter's window: loop the part until the window is full.
    first, last = round(start * rate), round(end * rate)
    text = ffmpeg_ebur128(["-i", stem], "atrim=start_sample=%d:end_sample=%d,asetpts=N/SR/TB,"
                          "aloop=loop=-1:size=%d,atrim=end=4.05" % (first, last, last - first))
    return energy_mean([s for t, s in readings(text) if t >= 3.0 - 1e-6])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli")
    parser.add_argument("--under", type=float, default=18.0)
    parser.add_argument("--dir", default="/tmp/quelvo-loudness")
    parser.add_argument("--json", help="also write the table as JSON here")
    args = parser.parse_args()
    cli = find_cli(args.cli)
    shared = os.environ.get("QUELVO_SHARED_DIR", os.path.join(HERE, "..", "..", "shared"))
    corpus = os.path.join(shared, "testdata")
    if not os.path.exists(os.path.join(corpus, "manifest.json")):
        sys.exit("loudness_depth_check: no corpus at %s (set QUELVO_SHARED_DIR)" % corpus)
    manifest = json.load(open(os.path.join(corpus, "manifest.json")))
    musics = sorted(m["file"] for m in manifest["music"])
    os.makedirs(args.dir, exist_ok=True)
    rows, total, within, clamped_total, silent_total = [], 0, 0, 0, 0
    print("%-40s %-16s %9s %9s %6s %9s %9s %5s %s" % ("case", "music", "dlg LUFS", "mus LUFS", "req", "achieved",
                                                      "worst", "in", "notes"))
    for case in manifest["cases"]:
        dialogue = os.path.join(corpus, case["dialogue"])
        threshold = min(-24.0, float(case.get("speech_peak_dbfs", -6.0)) - 12.0)
        config = os.path.join(args.dir, "config-%d" % abs(int(threshold)))
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "settings.json"), "w") as f:
            json.dump({"duck.threshold": threshold}, f)
        env = dict(os.environ, QUELVO_CONFIG_DIR=config)
        analysis = json.loads(subprocess.run([cli, "analyze", dialogue, "--json"], env=env, check=True,
                                             capture_output=True, text=True).stdout)
        intervals = analysis["clusters"]
        for music_rel in musics:
            music = os.path.join(corpus, music_rel)
            name = "%s__%s" % (case["name"], os.path.splitext(os.path.basename(music))[0])
            out = os.path.join(args.dir, name + ".wav")
            r = subprocess.run([cli, "render", "--dialogue", dialogue, "--music", music, "--under", str(args.under),
                                "--stems", "--json", "--output", out], env=env, capture_output=True, text=True)
            if r.returncode != 0:
                print("%-40s render failed: %s" % (name, r.stderr.strip().splitlines()[-1]))
                continue
            summary = json.loads(r.stdout)
            stem, gain = summary["stem"], summary["mixGain"]
            if not intervals:
                print("%-40s %-16s %9s %9s %6.1f %9s %9s %5s %s" % (case["name"], os.path.basename(music)[:16], "-",
                                                                   "-", args.under, "-", "-", "-", "no speech"))
                continue
            d = dialogue_loudness(dialogue, intervals)
            whole = readings(ffmpeg_ebur128(["-i", stem], "anull"))
            music_integrated = INTEGRATED.findall(ffmpeg_ebur128(["-i", music], "anull"))
            distances, notes, clamped, silent = [], [], 0, 0
            for s, e in intervals:
                part = (s + POST_FADE_IN, e - PRE_FADE_OUT)
                if part[1] - part[0] < 0.1:
                    mid = (s + e) / 2
                    part = (mid - 0.05, mid + 0.05)
                m = stem_loudness(stem, summary["sampleRate"], whole, part)
                if m is None:
                    silent += 1
                    continue
                m -= gain
                achieved = d - m
                distances.append(achieved)
            ok = sum(1 for a in distances if abs(a - args.under) <= TOLERANCE)
            total += len(distances)
            within += ok
            silent_total += silent
            worst = max(distances, key=lambda a: abs(a - args.under)) if distances else None
            mean = sum(distances) / len(distances) if distances else None
            if silent:
                notes.append("%d silent" % silent)
            row = {"case": case["name"], "music": os.path.basename(music), "dialogueLUFS": d,
                   "quelvoDialogueLUFS": summary["loudness"]["dialogue"],
                   "musicLUFS": float(music_integrated[-1]) if music_integrated else None,
                   "requested": args.under, "achieved": distances, "within": ok, "intervals": len(intervals),
                   "mixGain": gain}
            rows.append(row)
            print("%-40s %-16s %9.1f %9s %6.1f %9s %9s %5s %s" % (
                case["name"], os.path.basename(music)[:16], d,
                "%.1f" % row["musicLUFS"] if row["musicLUFS"] is not None else "-", args.under,
                "%.2f" % mean if mean is not None else "-", "%.2f" % worst if worst is not None else "-",
                "%d/%d" % (ok, len(distances)), ", ".join(notes)))
    share = within / total if total else 0.0
    print("\nintervals measured: %d, within %.1f LU of %.1f: %d (%.1f%%), music silent (left out): %d"
          % (total, TOLERANCE, args.under, within, 100 * share, silent_total))
    print("target: at least %.0f%% -> %s" % (100 * SHARE, "met" if share >= SHARE else "NOT met"))
    if args.json:
        with open(args.json, "w") as f:
            json.dump(rows, f, indent=1)
    return 0 if share >= SHARE else 1


if __name__ == "__main__":
    sys.exit(main())
