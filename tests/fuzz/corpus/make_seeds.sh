#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets (run by hand; the output is
# committed). Every seed starts with the byte the target reads as its mode
# (see the comment at the top of each tests/fuzz/fuzz_<target>.cpp), followed
# by the input proper. Seeds stay small: the fuzzer grows them. Inputs that
# once crashed a target are kept beside them as regression_* and never removed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
srt_data="$here/../../data/srt"
seed() { # file mode-byte-in-octal < input
    { printf "\\$2"; cat; } >"$1"
}

# SRT: mode bit 0 = through a file, bits 1-4 = tags ignored, bit 5 = re-wrap,
# bit 6 = 1.6 document, bit 7 = patch and no overlaps.
d="$here/srt"; mkdir -p "$d"; find "$d" -type f ! -name 'regression_*' -delete
seed "$d/basic_text" 000 <"$srt_data/basic.srt"
seed "$d/basic_file" 001 <"$srt_data/basic.srt"
seed "$d/tags_ignored" 036 <"$srt_data/tags.srt"
seed "$d/tags_kept_v16" 100 <"$srt_data/tags.srt"
seed "$d/crlf_bom_file" 001 <"$srt_data/crlf_bom.srt"
seed "$d/utf16le_bom_file" 001 <"$srt_data/utf16le_bom.srt"
seed "$d/utf16be_bom_file" 001 <"$srt_data/utf16be_bom.srt"
seed "$d/utf16le_no_bom_file" 001 <"$srt_data/utf16le_no_bom.srt"
seed "$d/windows1250_file" 201 <"$srt_data/windows1250.srt"
seed "$d/multiline_split" 040 <"$srt_data/multiline.srt"
seed "$d/multiline_split_v16_patch" 340 <"$srt_data/multiline.srt"
seed "$d/overlapping_patch" 200 <"$srt_data/overlapping.srt"
seed "$d/timecodes" 000 <"$srt_data/timecodes.srt"
seed "$d/blank_line_inside" 000 <"$srt_data/blank_line_inside.srt"
seed "$d/broken_third" 001 <"$srt_data/broken_third.srt"
printf '1\n00:00:01,000 --> 00:00:02,000\nA & B <font color="red">x</font> "q" \x27s\x27\n\n' | seed "$d/escapes" 000

# Title settings: even mode byte = decode the text, odd = through the store.
d="$here/titles_settings"; mkdir -p "$d"; find "$d" -type f ! -name 'regression_*' -delete
full='{"font":"Helvetica","fontFace":"Regular","size":60,"alignment":"center","color":{"red":1.0,"green":1.0,"blue":1.0,"alpha":1.0},"doBorder":true,"strokeColor":{"red":0.0,"green":0.0,"blue":0.0,"alpha":1.0},"strokeWidth":2.0,"strokeBlur":0.0,"lineSpacing":0.0,"baselinePerc":0.175,"shadow":{"enable":true,"color":{"red":0.0,"green":0.0,"blue":0.0,"alpha":1.0},"opacity":0.75,"blur":5.0,"distance":5.0,"angle":315.0},"frameSize":[1920.0,1080.0],"timeLineFPS":25.0,"avoidOverlap":true,"add1BlankFrame":true,"addPatch":true,"customTitle":{"enable":false},"minDuration":0.0,"extendAfter":0.5,"patch":{"hSize":0.8,"vSize":0.125,"vPosition":0.1,"opacity":0.9,"color":{"red":0.0,"green":0.0,"blue":0.0,"alpha":1.0}},"handleNonZeroStartTime":true,"splitText":{"split":true,"length":84},"ignore":{"ignoreITags":true,"ignoreBTags":true,"ignoreFontTags":true,"ignoreUTags":true},"xmlExport":{"dontShowSplashAfterExport":false,"openImmediatelyInFCP":false,"sendToFCPWithoutXMLFile":false}}'
printf '%s' "$full" | seed "$d/full" 000
printf '%s' "$full" | seed "$d/full_stored" 001
printf '%s' '{"font":"A & B <\"C\">","fontFace":"Bold\u0001\u0000","alignment":"justified","customTitle":{"enable":true,"sourceUrl":"file:///tmp/My%20Title.moti"},"timeLineFPS":29.97}' | seed "$d/awkward_texts" 000
# This one overflowed the frame count of the time texts before they were bounded.
printf '%s' '{"size":60.0,"timeLineFPS":1e308,"extendAfter":-1e308,"minDuration":1e300,"frameSize":[1e30,-5],"baselinePerc":3e38}' | seed "$d/huge_numbers" 000
printf '%s' '{"font":5,"size":"big","patch":[1,2],"shadow":{"enable":"yes"},"splitText":{"split":true,"length":0}}' | seed "$d/wrong_types" 000
printf '%s' '[1,2,3]' | seed "$d/array" 000
printf '%s' '{"font":"\xff\xfe"}' | seed "$d/bad_utf8" 001

# Audio: mode bits 0-2 = extension (wav mp3 m4a aif wave aiff mp3 m4a),
# bit 3 = noise floor estimated. Tiny files, a burst of tone in silence.

d="$here/audio"; mkdir -p "$d"; find "$d" -type f ! -name 'regression_*' -delete
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
pattern="if(between(t,0.03,0.08),0.5*sin(2*PI*440*t),0)"
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=0.12" -c:a pcm_s16le "$tmp/a.wav"
ff -f lavfi -i "aevalsrc=exprs='$pattern|$pattern':s=8000:d=0.1" -c:a pcm_u8 "$tmp/u8.wav"
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=0.1" -c:a pcm_f32le "$tmp/f32.wav"
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=0.3" -c:a libmp3lame -b:a 8k "$tmp/a.mp3"
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=0.3" -c:a aac -b:a 12k -movflags +faststart "$tmp/a.m4a"
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=0.1" -c:a pcm_s24be "$tmp/a.aif"
seed "$d/s16.wav" 000 <"$tmp/a.wav"
seed "$d/u8_stereo_noisy.wav" 010 <"$tmp/u8.wav"
seed "$d/f32.wave" 004 <"$tmp/f32.wav"
seed "$d/cbr.mp3" 001 <"$tmp/a.mp3"
seed "$d/aac.m4a" 002 <"$tmp/a.m4a"
seed "$d/s24be.aif" 003 <"$tmp/a.aif"
head -c 900 "$tmp/a.wav" | seed "$d/cut.wav" 000
head -c 600 "$tmp/a.mp3" | seed "$d/cut_noisy.mp3" 011
