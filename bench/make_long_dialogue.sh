#!/usr/bin/env bash
# Writes a one-hour dialogue recording (speech with short and long pauses,
# 48 kHz stereo) as WAV, MP3 and M4A for the analysis benchmark:
#   $OUT/long_dialogue_1h.wav  (16-bit PCM, about 690 MB)
#   $OUT/long_dialogue_1h.mp3  (LAME 128 kb/s)
#   $OUT/long_dialogue_1h.m4a  (FFmpeg AAC 128 kb/s)
# The speech is the shared test corpus's dialogue, looped; without the corpus,
# espeak-ng reads a few sentences. Files already there are kept.
# Usage: make_long_dialogue.sh [OUT]   (default /tmp/quelvo-bench)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-/tmp/quelvo-bench}"
shared="${QUELVO_SHARED_DIR:-$here/../../shared}"
seconds=3600
mkdir -p "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

duration_of() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1" 2>/dev/null || echo 0; }
complete() { [ -s "$1" ] && awk -v d="$(duration_of "$1")" -v s="$seconds" 'BEGIN { exit !(d >= s - 1) }'; }

segment="$out/segment.wav"
if ! complete "$out/long_dialogue_1h.wav"; then
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    list="$work/list.txt"
    : > "$list"
    if ls "$shared"/testdata/dialogue/* >/dev/null 2>&1; then
        echo "speech: $shared/testdata/dialogue" >&2
        i=0
        for f in "$shared"/testdata/dialogue/*; do
            i=$((i + 1))
            # Every recording at 48 kHz stereo, followed by a 3 s pause.
            ff -i "$f" -af "apad=pad_dur=3" -ar 48000 -ac 2 -c:a pcm_s16le "$work/part$i.wav"
            echo "file '$work/part$i.wav'" >> "$list"
        done
    else
        echo "speech: espeak-ng (no shared corpus at $shared)" >&2
        i=0
        for text in "The music goes down while someone speaks." \
                    "Then it comes back up in the pauses between sentences." \
                    "Short breaths are bridged." "Long silences let the music return." \
                    "Every interval becomes four volume keyframes."; do
            i=$((i + 1))
            espeak-ng -v en-us -w "$work/say$i.wav" "$text"
            pause=$([ $((i % 2)) -eq 0 ] && echo 3 || echo 0.3)
            ff -i "$work/say$i.wav" -af "apad=pad_dur=$pause" -ar 48000 -ac 2 -c:a pcm_s16le "$work/part$i.wav"
            echo "file '$work/part$i.wav'" >> "$list"
        done
    fi
    ff -f concat -safe 0 -i "$list" -c:a pcm_s16le "$segment"
    echo "writing $out/long_dialogue_1h.wav" >&2
    ff -stream_loop -1 -i "$segment" -t "$seconds" -c:a pcm_s16le "$out/long_dialogue_1h.wav"
    rm -f "$segment" "$out/long_dialogue_1h.mp3" "$out/long_dialogue_1h.m4a"
fi
if ! complete "$out/long_dialogue_1h.mp3"; then
    echo "writing $out/long_dialogue_1h.mp3" >&2
    ff -i "$out/long_dialogue_1h.wav" -c:a libmp3lame -b:a 128k "$out/long_dialogue_1h.mp3"
fi
if ! complete "$out/long_dialogue_1h.m4a"; then
    echo "writing $out/long_dialogue_1h.m4a" >&2
    ff -i "$out/long_dialogue_1h.wav" -c:a aac -b:a 128k "$out/long_dialogue_1h.m4a"
fi
ls -l "$out"/long_dialogue_1h.* >&2
