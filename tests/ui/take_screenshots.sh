#!/usr/bin/env bash
# Pictures of the main window (with three files dropped), the preferences
# window, the role chooser, the About panel, the progress sheet asking for
# the project version, the editor question on its own, the result after a
# job, every kind of alert, a file marked unreadable, the help window and
# the titles window with a video (patch off and on), the main window in
# loudness depth mode and Export Mix's result, the dialogue area holding a
# video (its poster frame and facts) and the preview with three microphones
# (a lane each under the row of their union), taken on a virtual X display under
# a window manager (openbox, so title bars and their truncation show as a
# user sees them) with ImageMagick's `import`.
# Usage: tests/ui/take_screenshots.sh BUILD_DIR [OUT_DIR] [SCALE]
#   SCALE: QT_SCALE_FACTOR, e.g. 2 for 200 % (default 1).
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [OUT_DIR] [SCALE]}
out=${2:-/tmp/quelvo-screenshots}
scale=${3:-1}
mkdir -p "$out"
export QUELVO_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale"
xvfb-run -a -s "-screen 0 1920x1200x24" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    status=0
    "$0/tests/test_ui" --gtest_filter="Screenshots.*:TitlesScreenshots.*:UiTest.LoudnessScreenshots" || status=$?
    kill "$wm" 2>/dev/null || true
    exit "$status"
' "$build"
ls "$out"
