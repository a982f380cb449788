#!/usr/bin/env bash
# Pictures of the main window (with three files dropped), the preferences
# window, the role chooser, the About panel and the progress sheet asking for
# the project version, and the titles window with a video (patch off and on),
# taken on a virtual X display with ImageMagick's `import`. QT_SCALE_FACTOR=2
# in the environment gives the 200 % pictures.
# Usage: tests/ui/take_screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [OUT_DIR]}
out=${2:-/tmp/quelvo-screenshots}
mkdir -p "$out"
QUELVO_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1600x1000x24" \
    "$build/tests/test_ui" --gtest_filter='Screenshots.*:TitlesScreenshots.*'
ls "$out"
