#!/usr/bin/env python3
"""Draws the About panel's picture, "About", with ImageMagick.

What the program does, as a picture: on a dark blue tile, teal bars of speech
in two bursts along the bottom, and above them the orange line of the music's
level, which ramps down before each burst, stays down under it and ramps back
up after it, with a dot on each of the four keyframes of a burst.

Drawn at 256 x 256 pixels for a 128 x 128 view, so it stays sharp on 200 %
screens. Run from anywhere; it rewrites resources/about/About.png. Needs
ImageMagick's `convert`.
"""
import math
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 256
OUT = os.path.join(HERE, "About.png")

# The speech bursts, as fractions of the width, and the envelope's levels.
BURSTS = [(0.21, 0.41), (0.62, 0.80)]
LEFT, RIGHT = 0.10, 0.90
HIGH, LOW = 0.30, 0.52         # music level: normal and ducked (fraction of height)
RAMP = 0.05                    # fade length on each side of a speech edge
BARS_BASE, BARS_TOP = 0.84, 0.62


def px(f):
    return f * SIZE


def envelope():
    """The keyframes of the music line, left to right."""
    pts = [(LEFT, HIGH)]
    for start, end in BURSTS:
        pts += [(start - RAMP, HIGH), (start + RAMP, LOW), (end - RAMP, LOW), (end + RAMP, HIGH)]
    pts.append((RIGHT, HIGH))
    return pts


def speech_bars():
    bars = []
    for start, end in BURSTS:
        n = int(round((end - start) / 0.028))
        for i in range(n):
            x = start + (i + 0.5) * (end - start) / n
            # Uneven heights, like a voice.
            h = 0.35 + 0.65 * abs(math.sin(i * 1.7 + start * 9)) * (0.6 + 0.4 * math.sin(i * 0.9))
            h = max(0.25, min(1.0, h))
            bars.append((x, BARS_BASE - (BARS_BASE - BARS_TOP) * h))
    return bars


def main():
    cmd = ["convert"]
    # The tile: a rounded square with a top-to-bottom gradient and a faint rim.
    cmd += ["-size", "%dx%d" % (SIZE, SIZE), "gradient:#2F5FA8-#142A52", "-alpha", "set",
            "(", "-size", "%dx%d" % (SIZE, SIZE), "xc:none", "-fill", "white",
            "-draw", "roundrectangle 8,8 %d,%d 44,44" % (SIZE - 9, SIZE - 9), ")",
            "-compose", "DstIn", "-composite", "-compose", "Over"]
    cmd += ["-fill", "none", "-stroke", "rgba(255,255,255,0.18)", "-strokewidth", "3",
            "-draw", "roundrectangle 9.5,9.5 %g,%g 43,43" % (SIZE - 10.5, SIZE - 10.5)]
    # A base line under the speech.
    cmd += ["-stroke", "rgba(255,255,255,0.25)", "-strokewidth", "2",
            "-draw", "line %g,%g %g,%g" % (px(LEFT), px(BARS_BASE) + 6, px(RIGHT), px(BARS_BASE) + 6)]
    # Speech.
    cmd += ["-stroke", "none", "-fill", "#35D0B8"]
    for x, top in speech_bars():
        cmd += ["-draw", "roundrectangle %.2f,%.2f %.2f,%.2f 2.5,2.5"
                % (px(x) - 2.6, px(top), px(x) + 2.6, px(BARS_BASE))]
    # The ducked stretches, shaded under the music line.
    for start, end in BURSTS:
        cmd += ["-fill", "rgba(242,153,74,0.16)", "-stroke", "none", "-draw",
                "polygon %g,%g %g,%g %g,%g %g,%g" % (
                    px(start - RAMP), px(HIGH), px(start + RAMP), px(LOW),
                    px(end - RAMP), px(LOW), px(end + RAMP), px(HIGH))]
    # The music's level.
    line = " ".join("%.2f,%.2f" % (px(x), px(y)) for x, y in envelope())
    cmd += ["-fill", "none", "-stroke", "#F2994A", "-strokewidth", "7",
            "-draw", "stroke-linecap round stroke-linejoin round polyline " + line]
    # The keyframes.
    cmd += ["-stroke", "#142A52", "-strokewidth", "2.5", "-fill", "#FFE2C4"]
    for x, y in envelope()[1:-1]:
        cmd += ["-draw", "circle %.2f,%.2f %.2f,%.2f" % (px(x), px(y), px(x) + 6.5, px(y))]
    cmd += ["-depth", "8", "-strip", "PNG32:" + OUT]
    subprocess.run(cmd, check=True)


if __name__ == "__main__":
    main()
