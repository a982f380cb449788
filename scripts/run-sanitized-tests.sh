#!/usr/bin/env bash
# Builds with sanitizers and runs the test suite under them.
#   scripts/run-sanitized-tests.sh [address|thread] [ctest arguments...]
# address: AddressSanitizer + UndefinedBehaviorSanitizer, the whole suite.
# thread:  ThreadSanitizer, the whole suite but the desktop program: the job
#          and its version sheet, the toolkit's queue, semaphore and settings
#          store, analyses on several threads, the delayed hand-over, and
#          quelvo-cli itself (built with it) under the command-line tests.
# Builds use $QUELVO_JOBS compile jobs (default 2); ctest runs two tests at once.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-address}"
[ $# -gt 0 ] && shift
"$root/scripts/setup.sh"
case "$kind" in
    address)
        build="${QUELVO_BUILD_DIR:-$root/build-asan}"
        sanitize="address,undefined"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
        labels=()
        configure=()
        ;;
    thread)
        build="${QUELVO_BUILD_DIR:-$root/build-tsan}"
        sanitize="thread"
        export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/sanitizers/tsan.supp"
        labels=()
        configure=(-DQUELVO_BUILD_UI=OFF)
        ;;
    *) echo "usage: $0 [address|thread] [ctest arguments...]" >&2; exit 2 ;;
esac
# -O1 with line tables only: the sanitizers report every file and line, and
# the build takes far less time than -O2 with full debug information.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVO_SANITIZE="$sanitize" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" "${configure[@]}" >/dev/null
cmake --build "$build" --parallel "${QUELVO_JOBS:-2}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j2 "${labels[@]}" "$@"
