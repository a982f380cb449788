#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan, and runs each for
# the given number of seconds on a copy of its seed corpus. Anything found is
# left in build-fuzz/findings/<target>/ as a crash-* or leak-* file.
#   scripts/fuzz.sh SECONDS [TARGET...]      (targets: prefs srt titles_settings audio)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
build="${QUELVO_FUZZ_BUILD_DIR:-$root/build-fuzz}"
"$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUELVO_FUZZ=ON -DQUELVO_SANITIZE=address,undefined -DQUELVO_BUILD_UI=OFF \
    -DQUELVO_BUILD_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$root"/tests/fuzz/fuzz_*.cpp; do n="$(basename "$f" .cpp)"; targets+=("${n#fuzz_}"); done
fi
cmake --build "$build" --parallel "${QUELVO_JOBS:-2}" --target "${targets[@]/#/fuzz_}"
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    [ -d "$root/tests/fuzz/corpus/$t" ] && cp -rn "$root/tests/fuzz/corpus/$t/." "$corpus/"
    echo "== fuzz_$t for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" \
        -artifact_prefix="$findings/" -print_final_stats=1 -rss_limit_mb=2048 -timeout=20 \
        "$corpus" 2>"$findings/log.txt"; then
        echo "fuzz_$t found a problem: see $findings" >&2
        status=1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$findings/log.txt" || true
done
exit $status
