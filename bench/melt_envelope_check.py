#!/usr/bin/env python3
"""The ducking heard as an editor would hear it, for every corpus case.

For each dev case of ../shared/testdata/manifest.json whose music is
dev_music_gaps.wav, with dev_music_real.mp3 as the filler, build/bin/
melt-envelope-check runs the ducking job (with the stored defaults), writes the
project as MLT, plays it with melt (Debian 12's, MLT 7.12) with the dialogue
track muted, and measures in 10 ms windows:

  envelope   largest distance (dB) of the music's level from the envelope,
             where the music sounds, two frames or more away from every ramp
             (played at the music's own rate, compared with the music file)
  stem       largest distance (dB) from the renderer's own music stem
             (quelvo-cli render --stems), away from ramps and filler fades
  ramps      how far (frames) each ramp's first and second half must be
             shifted to fit the envelope best; the largest of all ramps
  fillers    how far (frames) each filler clip sits from where the project
             places it, its mean distance (dB) from the filler's own level,
             and the loudest filler sound outside every clip (dBFS)

Targets: envelope and stem within 0.5 dB, ramps within two frames, fillers
within two frames and silent outside their clips. Usage:

  bench/melt_envelope_check.py [--tool build/bin/melt-envelope-check] [--shared ../shared]
"""
import argparse
import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default=os.path.join(HERE, "..", "build", "bin", "melt-envelope-check"))
    parser.add_argument("--shared", default=os.path.join(HERE, "..", "..", "shared"))
    args = parser.parse_args()
    corpus = os.path.join(args.shared, "testdata")
    with open(os.path.join(corpus, "manifest.json")) as f:
        cases = [c for c in json.load(f)["cases"]
                 if c.get("corpus") == "dev" and c["music"].endswith("dev_music_gaps.wav")]
    filler = os.path.join(corpus, "music", "dev_music_real.mp3")
    print("| case | windows | envelope dB | stem dB | ramps | ramp begin fr | ramp end fr "
          "| fillers | filler offset fr | filler level dB | filler outside dBFS | seconds |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|")
    failed = 0
    for case in cases:
        started = time.monotonic()
        run = subprocess.run([args.tool, os.path.join(corpus, case["dialogue"]), os.path.join(corpus, case["music"]),
                              filler], capture_output=True, text=True, timeout=600)
        if run.returncode != 0:
            failed += 1
            print(f"| {case['name']} | failed: {run.stderr.strip()} |")
            continue
        v = dict(item.split("=") for item in run.stdout.split())
        print(f"| {case['name']} | {v['windows']} | {v['envelope_db']} | {v['stem_db']} | {v['ramps']} "
              f"| {v['ramp_begin_frames']} | {v['ramp_end_frames']} | {v['fillers']} | {v['filler_offset_frames']} "
              f"| {v['filler_level_db']} | {v['filler_outside_dbfs']} | {time.monotonic() - started:.1f} |")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
