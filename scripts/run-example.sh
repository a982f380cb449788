#!/usr/bin/env bash
# Sets up the machine, builds, and ducks the bundled example: the project is
# written next to examples/dialogue.wav, replacing the one an earlier run
# made there (--force: quelvo-cli never replaces a project unasked).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUELVO_BUILD_DIR:-$root/build}"
"$root/scripts/setup.sh"
QUELVO_BUILD_DIR="$build" "$root/scripts/build.sh"
"$build/bin/quelvo-cli" duck \
    --dialogue "$root/examples/dialogue.wav" \
    --music "$root/examples/music.mp3" \
    --filler "$root/examples/filler.mp3" \
    --format "${QUELVO_EXAMPLE_FORMAT:-1.9}" --force "$@"
