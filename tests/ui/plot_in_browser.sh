#!/usr/bin/env bash
# Opens the SVG of `quelvo-cli duck --plot` in headless Chromium and keeps a
# screenshot: proof that a browser draws what scripts and bug reports attach.
# Skips (exit 0 with a message) where Chromium or the shared recordings are absent.
# Usage: tests/ui/plot_in_browser.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [OUT_DIR]}
out=${2:-/tmp/quelvo-plot}
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../../shared/testdata"
browser=$(command -v chromium || command -v chromium-browser || command -v google-chrome || true)
if [ -z "$browser" ]; then echo "plot_in_browser: skipped, no Chromium here"; exit 0; fi
if [ ! -d "$data" ]; then echo "plot_in_browser: skipped, no recordings at $data"; exit 0; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
QUELVO_CONFIG_DIR="$work/config" "$build/bin/quelvo-cli" duck \
    --dialogue "$data/dialogue/dev04_pauses_m4a.m4a" --music "$data/music/dev_music_gaps.wav" \
    --filler "$data/music/dev_music_real.mp3" --format 1.9 \
    --output "$work/p.fcpxml" --plot "$work/p.svg" >/dev/null
xmllint --noout "$work/p.svg"
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$work/profile" \
    --window-size=1600,360 --screenshot="$out/plot.png" "file://$work/p.svg" >/dev/null 2>&1
# A blank page would be one colour; the picture has the lanes, waves and envelope.
colours=$(convert "$out/plot.png" -format %k info:)
echo "plot_in_browser: $out/plot.png, $colours colours"
[ "$colours" -gt 8 ] || { echo "plot_in_browser: the browser drew nothing" >&2; exit 1; }
