#!/usr/bin/env python3
"""Draws the three layers of the progress sheet's animation with ImageMagick.

The layers are stacked in the sheet and loop at different lengths (60, 59 and
58 frames), so their phases drift against each other and the picture never
repeats exactly:

  A  a ring with a blue arc turning clockwise,
  B  two teal arcs turning the other way inside it,
  C  five level bars in the middle that dip and rise like music under speech.

Frames are drawn at 192 x 192 pixels for a 96 x 96 view, so they stay sharp on
200 % screens. File names are the prefix followed by the frame number in five
digits ("quelvo_progressA_00042.png"), which is how FrameAnimation composes them.

Run from anywhere; it rewrites resources/progress/*.png and
src/ui/progress_frames.qrc. Needs ImageMagick's `convert`.
"""
import math
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
QRC = os.path.join(ROOT, "src", "ui", "progress_frames.qrc")
SIZE = 192
C = SIZE / 2

LAYERS = {"A": 60, "B": 59, "C": 58}


def arc_points(radius, start_deg, sweep_deg, step=3.0):
    n = max(2, int(abs(sweep_deg) / step) + 1)
    pts = []
    for i in range(n):
        a = math.radians(start_deg + sweep_deg * i / (n - 1))
        pts.append("%.2f,%.2f" % (C + radius * math.cos(a), C + radius * math.sin(a)))
    return " ".join(pts)


def draw_a(frame, count):
    start = -90 + 360.0 * frame / count
    return [
        "-stroke", "rgba(128,128,128,0.22)", "-strokewidth", "12",
        "-draw", "circle %g,%g %g,%g" % (C, C, C, C - 80),
        "-stroke", "#3D7FE0",
        "-draw", "stroke-linecap round stroke-linejoin round polyline " + arc_points(80, start, 100),
    ]


def draw_b(frame, count):
    start = -90 - 360.0 * frame / count
    cmds = ["-stroke", "#1FB5A0", "-strokewidth", "8"]
    for offset in (0, 180):
        cmds += ["-draw", "stroke-linecap round stroke-linejoin round polyline "
                 + arc_points(60, start + offset, 70)]
    return cmds


def draw_c(frame, count):
    cmds = ["-stroke", "none", "-fill", "#F2994A"]
    phase = 2 * math.pi * frame / count
    for k in range(5):
        x = C + (k - 2) * 16
        h = 16 + 44 * (0.5 + 0.5 * math.sin(phase + k * 1.1))
        cmds += ["-draw", "roundrectangle %.2f,%.2f %.2f,%.2f 5,5"
                 % (x - 5, C - h / 2, x + 5, C + h / 2)]
    return cmds


DRAW = {"A": draw_a, "B": draw_b, "C": draw_c}


def main():
    names = []
    for layer, count in LAYERS.items():
        for frame in range(count):
            name = "quelvo_progress%s_%05d.png" % (layer, frame)
            path = os.path.join(HERE, name)
            cmd = ["convert", "-size", "%dx%d" % (SIZE, SIZE), "xc:none", "-fill", "none"]
            cmd += DRAW[layer](frame, count)
            cmd += ["-depth", "8", "-strip", "PNG32:" + path]
            subprocess.run(cmd, check=True)
            names.append(name)
    with open(QRC, "w") as qrc:
        qrc.write("<!-- Written by resources/progress/make_frames.py; do not edit. -->\n")
        qrc.write("<RCC>\n  <qresource prefix=\"/images\">\n")
        for name in names:
            qrc.write("    <file alias=\"%s\">../../resources/progress/%s</file>\n" % (name, name))
        qrc.write("  </qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
