#!/bin/sh
# Writes data/vorlink.wav, the reminder chime: three soft sine tones (a rising
# major triad, each struck a little after the one before) that ring out and fade.
# 22050 Hz, mono, 16-bit PCM; no dither, so the file is the same on every run.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/data/vorlink.wav"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rate=22050
length=1.1

# tone NAME FREQUENCY DELAY: a sine with a soft 30 ms attack and a logarithmic fade
# that drops quickly and then rings on, starting DELAY seconds in, padded to the full length.
tone() {
    ring=$(echo "$length - $3" | bc -l)
    sox -D -n -r "$rate" -c 1 -b 16 "$tmp/$1.wav" \
        synth "$ring" sine "$2" fade h 0.03 fade l 0 "$ring" "$(echo "$ring - 0.03" | bc -l)" \
        pad "$3" 0
}

tone a 659.25 0      # E5
tone b 830.61 0.12   # G#5
tone c 987.77 0.24   # B5

sox -D -m -v 0.33 "$tmp/a.wav" -v 0.27 "$tmp/b.wav" -v 0.22 "$tmp/c.wav" \
    -r "$rate" -c 1 -b 16 -e signed-integer "$out" gain -n -6 fade t 0 "$length" 0.15
echo "$out"
