#!/usr/bin/env bash
# Regenerates the bundled example: a short spoken dialogue (espeak-ng), a
# music bed with two silent stretches and a filler loop (both synthesised with
# sox). Everything is made here, so it can be shipped freely.
set -euo pipefail
cd "$(dirname "$0")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

say() { espeak-ng -v en-us -s 150 -p 45 -w "$tmp/$1.wav" "$2"; }
say s1 "Welcome back to the workshop. Today we are building a small bookshelf from a single board."
say s2 "First, measure twice and mark the cuts with a sharp pencil."
say s3 "Now take the saw, and let the blade do the work."
say s4 "That is all for today. Thanks for watching, and see you next time."

# Speech with pauses of 0.4 s (bridged by the ducking) and 3 s (the music comes back).
sox -n -r 22050 -c 1 "$tmp/p04.wav" trim 0 0.4
sox -n -r 22050 -c 1 "$tmp/p1.wav" trim 0 1.0
sox -n -r 22050 -c 1 "$tmp/p3.wav" trim 0 3.0
sox "$tmp/p1.wav" "$tmp/s1.wav" "$tmp/p3.wav" "$tmp/s2.wav" "$tmp/p04.wav" "$tmp/s3.wav" \
    "$tmp/p3.wav" "$tmp/s4.wav" "$tmp/p1.wav" -r 22050 -c 1 -b 16 dialogue.wav norm -3

# A gentle chord loop: two bars of pads and plucks, repeated.
chord() { # name, three notes
    sox -n -r 44100 -c 1 "$tmp/$1.wav" synth 2 pluck "$2" pluck "$3" pluck "$4" \
        fade 0.01 2 0.3 gain -9
}
chord c C3 E3 G3
chord a A2 C3 E3
chord f F2 A2 C3
chord g G2 B2 D3
sox "$tmp/c.wav" "$tmp/a.wav" "$tmp/f.wav" "$tmp/g.wav" "$tmp/bar.wav"
sox "$tmp/bar.wav" "$tmp/bar.wav" "$tmp/loop.wav"
# Music: 16 s, 2 s of digital silence, 8 s, 3 s of silence, 8 s.
sox -n -r 44100 -c 1 "$tmp/gap2.wav" trim 0 2
sox -n -r 44100 -c 1 "$tmp/gap3.wav" trim 0 3
sox "$tmp/loop.wav" "$tmp/gap2.wav" "$tmp/bar.wav" "$tmp/gap3.wav" "$tmp/bar.wav" \
    "$tmp/music_full.wav"
sox "$tmp/music_full.wav" "$tmp/music.wav" trim 0 37 norm -6
ffmpeg -loglevel error -y -i "$tmp/music.wav" -c:a libmp3lame -b:a 96k music.mp3

# Filler: a soft sustained pad that fills the music's silent stretches.
sox -n -r 44100 -c 1 "$tmp/filler.wav" synth 8 sine C3 sine G3 fade 0.5 8 2 gain -18
ffmpeg -loglevel error -y -i "$tmp/filler.wav" -c:a libmp3lame -b:a 64k filler.mp3

ls -l dialogue.wav music.mp3 filler.mp3
