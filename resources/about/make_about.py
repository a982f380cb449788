#!/usr/bin/env python3
"""Draws the About panel's picture, "About", and the program's icons with ImageMagick.

What the program does, as a picture: on a dark blue tile, teal bars of speech
in two bursts along the bottom, and above them the orange line of the music's
level, which ramps down before each burst, stays down under it and ramps back
up after it, with a dot on each of the four keyframes of a burst.

Drawn at 256 x 256 pixels for a 128 x 128 view, so it stays sharp on 200 %
screens. The same shapes make the icons of the installed program: a scalable
SVG and PNGs at the hicolor theme's usual sizes, in packaging/icons/. Run from
anywhere; it rewrites resources/about/About.png and the icons. Needs
ImageMagick's `convert`.
"""
import math
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 256
OUT = os.path.join(HERE, "About.png")
ICON_NAME = "com.kyverne.Quelvo"
ICONS = os.path.join(HERE, "..", "..", "packaging", "icons")
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256, 512]

# The speech bursts, as fractions of the width, and the envelope's levels.
BURSTS = [(0.21, 0.41), (0.62, 0.80)]
LEFT, RIGHT = 0.10, 0.90
HIGH, LOW = 0.30, 0.52         # music level: normal and ducked (fraction of height)
RAMP = 0.05                    # fade length on each side of a speech edge
BARS_BASE, BARS_TOP = 0.84, 0.62


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


def draw_png(size, out):
    """The picture at size x size pixels: the 256-pixel drawing scaled, so
    strokes and corners keep their proportions."""
    scale = size / SIZE

    def px(f):
        return f * size

    def u(v):
        return v * scale

    cmd = ["convert"]
    # The tile: a rounded square with a top-to-bottom gradient and a faint rim.
    cmd += ["-size", "%dx%d" % (size, size), "gradient:#2F5FA8-#142A52", "-alpha", "set",
            "(", "-size", "%dx%d" % (size, size), "xc:none", "-fill", "white",
            "-draw", "roundrectangle %g,%g %g,%g %g,%g" % (u(8), u(8), u(SIZE - 9), u(SIZE - 9), u(44), u(44)), ")",
            "-compose", "DstIn", "-composite", "-compose", "Over"]
    cmd += ["-fill", "none", "-stroke", "rgba(255,255,255,0.18)", "-strokewidth", "%g" % u(3),
            "-draw", "roundrectangle %g,%g %g,%g %g,%g" % (u(9.5), u(9.5), u(SIZE - 10.5), u(SIZE - 10.5), u(43), u(43))]
    # A base line under the speech.
    cmd += ["-stroke", "rgba(255,255,255,0.25)", "-strokewidth", "%g" % u(2),
            "-draw", "line %g,%g %g,%g" % (px(LEFT), px(BARS_BASE) + u(6), px(RIGHT), px(BARS_BASE) + u(6))]
    # Speech.
    cmd += ["-stroke", "none", "-fill", "#35D0B8"]
    for x, top in speech_bars():
        cmd += ["-draw", "roundrectangle %.2f,%.2f %.2f,%.2f %g,%g"
                % (px(x) - u(2.6), px(top), px(x) + u(2.6), px(BARS_BASE), u(2.5), u(2.5))]
    # The ducked stretches, shaded under the music line.
    for start, end in BURSTS:
        cmd += ["-fill", "rgba(242,153,74,0.16)", "-stroke", "none", "-draw",
                "polygon %g,%g %g,%g %g,%g %g,%g" % (
                    px(start - RAMP), px(HIGH), px(start + RAMP), px(LOW),
                    px(end - RAMP), px(LOW), px(end + RAMP), px(HIGH))]
    # The music's level.
    line = " ".join("%.2f,%.2f" % (px(x), px(y)) for x, y in envelope())
    cmd += ["-fill", "none", "-stroke", "#F2994A", "-strokewidth", "%g" % u(7),
            "-draw", "stroke-linecap round stroke-linejoin round polyline " + line]
    # The keyframes.
    cmd += ["-stroke", "#142A52", "-strokewidth", "%g" % u(2.5), "-fill", "#FFE2C4"]
    for x, y in envelope()[1:-1]:
        cmd += ["-draw", "circle %.2f,%.2f %.2f,%.2f" % (px(x), px(y), px(x) + u(6.5), px(y))]
    cmd += ["-depth", "8", "-strip", "PNG32:" + out]
    subprocess.run(cmd, check=True)


def svg():
    """The same shapes as a scalable icon, on the 256-unit grid."""
    def px(f):
        return "%.2f" % (f * SIZE)

    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">' % ((SIZE,) * 4),
        '  <defs><linearGradient id="tile" x1="0" y1="0" x2="0" y2="%d" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="#2F5FA8"/><stop offset="1" stop-color="#142A52"/></linearGradient></defs>' % SIZE,
        '  <rect x="8" y="8" width="%g" height="%g" rx="44" fill="url(#tile)"/>' % (SIZE - 17, SIZE - 17),
        '  <rect x="9.5" y="9.5" width="%g" height="%g" rx="43" fill="none" stroke="#FFFFFF" '
        'stroke-opacity="0.18" stroke-width="3"/>' % (SIZE - 20, SIZE - 20),
        '  <line x1="%s" y1="%.2f" x2="%s" y2="%.2f" stroke="#FFFFFF" stroke-opacity="0.25" stroke-width="2"/>'
        % (px(LEFT), BARS_BASE * SIZE + 6, px(RIGHT), BARS_BASE * SIZE + 6),
    ]
    parts.append('  <g fill="#35D0B8">')
    for x, top in speech_bars():
        parts.append('    <rect x="%.2f" y="%.2f" width="5.2" height="%.2f" rx="2.5"/>'
                     % (x * SIZE - 2.6, top * SIZE, (BARS_BASE - top) * SIZE))
    parts.append('  </g>')
    for start, end in BURSTS:
        parts.append('  <polygon points="%s,%s %s,%s %s,%s %s,%s" fill="#F2994A" fill-opacity="0.16"/>' % (
            px(start - RAMP), px(HIGH), px(start + RAMP), px(LOW),
            px(end - RAMP), px(LOW), px(end + RAMP), px(HIGH)))
    line = " ".join("%s,%s" % (px(x), px(y)) for x, y in envelope())
    parts.append('  <polyline points="%s" fill="none" stroke="#F2994A" stroke-width="7" '
                 'stroke-linecap="round" stroke-linejoin="round"/>' % line)
    parts.append('  <g fill="#FFE2C4" stroke="#142A52" stroke-width="2.5">')
    for x, y in envelope()[1:-1]:
        parts.append('    <circle cx="%s" cy="%s" r="6.5"/>' % (px(x), px(y)))
    parts.append('  </g>')
    parts.append('</svg>')
    return "\n".join(parts) + "\n"


def main():
    draw_png(SIZE, OUT)
    os.makedirs(ICONS, exist_ok=True)
    with open(os.path.join(ICONS, ICON_NAME + ".svg"), "w") as f:
        f.write(svg())
    for size in ICON_SIZES:
        folder = os.path.join(ICONS, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        draw_png(size, os.path.join(folder, ICON_NAME + ".png"))


if __name__ == "__main__":
    main()
