#!/usr/bin/env bash
# Makes the small encoded test files of tests/media (run by hand; the output is
# committed). Every audio file holds the same pattern, so one set of expected
# clusters serves all formats:
#   0.5-1.2 s  1 kHz tone, peak -6 dBFS
#   2.0-2.6 s  1 kHz tone, peak -20 dBFS
#   silence elsewhere, 3.0 s in all
# Tone edges get 5 ms raised-cosine ramps so that lossy coders do not smear
# clicks across the silence. The M4A keeps its index first (faststart), so that
# a truncated copy loses audio rather than the index.
set -euo pipefail
cd "$(dirname "$0")"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }

ramp='(1-cos(PI*min(1,min(t-S,E-t)/0.005)))/2'
burst() { # start end amplitude
    local r=${ramp//S/$1}; r=${r//E/$2}
    echo "if(between(t,$1,$2),$3*$r*sin(2*PI*1000*t),0)"
}
pattern="$(burst 0.5 1.2 0.501187)+$(burst 2.0 2.6 0.1)"

ff -f lavfi -i "aevalsrc=exprs='$pattern':s=44100:d=3" -c:a libmp3lame -b:a 64k tone_mono44k.mp3
ff -f lavfi -i "aevalsrc=exprs='$pattern|$pattern':s=48000:d=3" -c:a aac -b:a 96k -movflags +faststart tone_stereo48k.m4a
ff -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=3" -c:a pcm_s24be tone_mono8k_s24.aif

# Video: 2 s of 25 fps at 64x48, QuickTime timecode 01:00:00:00, with sound.
ff -f lavfi -i testsrc=size=64x48:rate=25:duration=2 -f lavfi -i "aevalsrc=exprs='$pattern':s=8000:d=2" \
   -c:v mpeg4 -q:v 31 -c:a aac -b:a 16k -timecode 01:00:00:00 -shortest video_tc25.mov
# Video without any audio stream, 30000/1001 fps at 80x60.
ff -f lavfi -i testsrc=size=80x60:rate=30000/1001:duration=1 -c:v mpeg4 -q:v 31 video_only_2997.mp4
# Variable frame rate (frames from the 11th on arrive late: average 450/19 fps
# against 30 fps timestamps), starting at 0.123 s.
ff -f lavfi -i testsrc=size=32x24:rate=30:duration=1 -vf "setpts='(N/30+if(gte(N,10),N*0.01,0))/TB'" \
   -fps_mode vfr -c:v mpeg4 -q:v 31 -output_ts_offset 0.1234 video_vfr_start.mp4
