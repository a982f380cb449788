#!/usr/bin/env bash
# Checks that no function in src/ is over 80 lines, as clang-tidy's
# readability-function-size counts them (the repo's .clang-tidy). Prints each
# long function and exits 1 if there is any. The tests are not checked.
#
# clang-tidy needs the compile commands, so the script configures a build
# folder of its own (build-checks/, or $QUELVO_CHECKS_BUILD_DIR) without building
# anything; precompiled headers are off there because clang-tidy cannot read
# GCC's, and so is the unity build, whose batches would hide the files from
# the filter below. Runs on every core (or $QUELVO_TIDY_JOBS).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUELVO_CHECKS_BUILD_DIR:-$root/build-checks}"
jobs="${QUELVO_TIDY_JOBS:-$(getconf _NPROCESSORS_ONLN)}"
run_clang_tidy="$(command -v run-clang-tidy || command -v run-clang-tidy-14 || true)"
[ -n "$run_clang_tidy" ] || { echo "check-function-size: run-clang-tidy is not installed (scripts/setup.sh installs clang-tidy)" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DQUELVO_PRECOMPILE_HEADERS=OFF -DQUELVO_UNITY_BUILD=OFF >/dev/null
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
status=0
"$run_clang_tidy" -quiet -j "$jobs" -p "$build" -header-filter "^$root/src/" "^$root/src/" >"$log" 2>&1 || status=$?
# Each finding with its line count (run-clang-tidy asks for colours: they go
# first); a function in a header is reported once per file that includes it,
# so each is printed once.
findings="$(awk '{ gsub(/\033\[[0-9;]*m/, "") }
    /: (warning|error): function / { finding = $0 }
    finding && /note: [0-9]+ lines including/ { sub(/^.*note: /, ""); print finding " (" $0 ")"; finding = "" }' \
    "$log" | sort -u)"
if [ -n "$findings" ]; then
    echo "$findings" | sed "s|^$root/||; s| exceeds recommended size/complexity thresholds \[.*\]||"
    echo "check-function-size: functions over 80 lines in src/; split them" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    echo "check-function-size: clang-tidy failed" >&2
    exit 1
fi
echo "check-function-size: no function in src/ is over 80 lines"
