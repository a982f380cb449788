#!/usr/bin/env bash
# Pictures of the main window's preview at 100 % and 200 % for a clean
# recording, one with long pauses and one with a filler, on a virtual X display.
# Usage: tests/ui/take_preview_screenshots.sh BUILD_DIR [OUT_DIR]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [OUT_DIR]}
out=${2:-/tmp/quelvo-preview-screenshots}
for scale in 1 2; do
    QUELVO_SCREENSHOT_DIR="$out/$((scale * 100))" QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 2600x2000x24" \
        "$build/tests/test_ui" --gtest_filter='Corpus/PreviewScreenshots.*'
done
ls -R "$out"
