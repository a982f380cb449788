#!/usr/bin/env python3
"""Speed and memory of the main window's preview for one hour of dialogue and
one hour of music.

Makes (once) a one-hour 48 kHz stereo dialogue and a one-hour music bed with
silent gaps (the shared corpus's recordings looped by ffmpeg), then runs
build/bin/preview_probe on them and prints:

  first picture  in each detection mode against the job's two analyses in
                 that mode (target: <= 1.5 x): threshold mode decodes both
                 files for levels only, scene, paint (the dialogue's speech
                 features follow in a second decode, timed apart);
                 automatic mode keeps levels and features from one decode
  memory         resident size the preview adds above the resting program
                 (target: < 64 MB) and the bytes the kept levels hold
  redraw         after a control changes: the model update (speech decision,
                 keyframes, fillers; also with automatic detection) and the paint (geometry + QPainter on a
                 1600 x 420 image) apart, medians of 15 (target: < 50 ms)

Usage: bench/preview_bench.py [--probe PATH] [--runs N] [--dir /tmp/quelvo-bench]
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SHARED = os.environ.get("QUELVO_SHARED_DIR", os.path.join(ROOT, "..", "shared"))


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", *args], check=True)


def make_inputs(folder):
    os.makedirs(folder, exist_ok=True)
    dialogue = os.path.join(folder, "preview_dialogue_1h.wav")
    music = os.path.join(folder, "preview_music_1h.wav")
    data = os.path.join(SHARED, "testdata")
    if not os.path.exists(dialogue):
        ffmpeg("-stream_loop", "-1", "-i", os.path.join(data, "dialogue/dev04_pauses_m4a.m4a"), "-t", "3600",
               "-ar", "48000", "-ac", "2", "-c:a", "pcm_s16le", dialogue)
    if not os.path.exists(music):
        ffmpeg("-stream_loop", "-1", "-i", os.path.join(data, "music/dev_music_gaps.wav"), "-t", "3600",
               "-c:a", "pcm_s16le", music)
    return dialogue, music


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", default=os.path.join(ROOT, "build", "bin", "preview_probe"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dir", default="/tmp/quelvo-bench")
    args = parser.parse_args()
    if not os.access(args.probe, os.X_OK):
        sys.exit("preview_bench: %s not found; build the target preview_probe" % args.probe)
    if not os.path.isdir(os.path.join(SHARED, "testdata")):
        sys.exit("preview_bench: no shared recordings at %s" % SHARED)
    dialogue, music = make_inputs(args.dir)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    runs = []
    for _ in range(args.runs):
        out = subprocess.run([args.probe, dialogue, music], env=env, check=True, capture_output=True, text=True)
        runs.append(json.loads(out.stdout))
    med = {k: statistics.median(r[k] for r in runs) for k in runs[0]}
    ok = True

    def line(label, value, target, passed):
        nonlocal ok
        ok = ok and passed
        print("%-28s %-34s %s" % (label, value, ("ok " if passed else "MISSED ") + target))

    print("preview of 1 h dialogue + 1 h music, median of %d runs (%d speech clusters, %d keyframes)"
          % (args.runs, med["speechClusters"], med["keyframes"]))
    line("first picture, threshold", "%.0f ms (job's two analyses %.0f ms)"
         % (med["firstPictureMs"], med["twoAnalysesMs"]),
         "<= 1.5 x: %.2f x" % med["ratio"], med["ratio"] <= 1.5)
    line("  features after it", "%.0f ms more (not blocking)" % med["featuresAfterMs"], "", True)
    line("first picture, automatic", "%.0f ms (job's two analyses %.0f ms)"
         % (med["firstAutomaticPictureMs"], med["twoAutomaticAnalysesMs"]),
         "<= 1.5 x: %.2f x" % med["automaticRatio"], med["automaticRatio"] <= 1.5)
    line("memory above resting", "%.1f MB (kept levels %.2f MB)" % (med["previewRssMb"], med["keptTrackMb"]),
         "< 64 MB", med["previewRssMb"] < 64)
    line("redraw: model update", "%.1f ms" % med["modelUpdateMs"], "", True)
    line("redraw: model, automatic", "%.1f ms" % med["automaticUpdateMs"], "", True)
    line("redraw: geometry", "%.1f ms" % med["layoutMs"], "", True)
    line("redraw: paint", "%.1f ms wall, %.1f ms CPU (empty %.1f ms)"
         % (med["paintMs"], med["paintCpuMs"], med["paintEmptyMs"]), "", True)
    total = med["modelUpdateMs"] + med["paintMs"]
    line("redraw: update + paint", "%.1f ms" % total, "< 50 ms", total < 50)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
