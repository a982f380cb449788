#!/usr/bin/env bash
# Pictures of the preview before and after a correction of the speech (one
# band removed, one added by dragging and picked), on a virtual X display
# under openbox.
# Usage: tests/ui/take_correction_screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [OUT_DIR]}
out=${2:-/tmp/quelvo-correction-screenshots}
mkdir -p "$out"
export QUELVO_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1920x1200x24" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    status=0
    "$0/tests/test_ui" --gtest_filter="SpeechCorrectionsTest.Screenshots" || status=$?
    kill "$wm" 2>/dev/null || true
    exit "$status"
' "$build"
ls "$out"
