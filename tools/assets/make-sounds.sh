#!/usr/bin/env bash
# Synthesises the answer feedback cues with sox:
#   data/sounds/correct.wav  a bright rising two-note chime (C6 -> G6)
#   data/sounds/wrong.wav    a soft low falling two-note buzz (A3 -> E3)
#
# Format notes:
#   * 16-bit PCM, mono, 44.1 kHz. The player takes 8- or 16-bit PCM only,
#     and sox writes 32-bit by default, so the depth is forced.
#   * A quarter second of silence is padded onto the end because
#     some players clip the final ~0.12 s of a sample.
#   * Dither is off (-D) so the padded tail is true digital silence.
#   * Peaks are normalised to -6 dBFS so the cues sit politely under
#     whatever else is playing.
#
# Usage: tools/assets/make-sounds.sh
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
outdir="$root/data/sounds"
mkdir -p "$outdir"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

RATE=44100
FMT=(-r "$RATE" -c 1 -b 16 -e signed-integer)
PEAK_DB=-6
TAIL_PAD=0.25

# note FILE LENGTH FREQ: one bell-ish tone (fundamental plus a quiet octave
# and twelfth) with a click-free attack and a logarithmic decay.
note() {
    local file=$1 len=$2 freq=$3
    local f2 f3
    f2=$(awk -v f="$freq" 'BEGIN { printf "%.2f", f * 2 }')
    f3=$(awk -v f="$freq" 'BEGIN { printf "%.2f", f * 3 }')
    sox -n "${FMT[@]}" "$work/a.wav" synth "$len" sine "$freq"
    sox -n "${FMT[@]}" "$work/b.wav" synth "$len" sine "$f2" vol 0.25
    sox -n "${FMT[@]}" "$work/c.wav" synth "$len" sine "$f3" vol 0.08
    sox -m "$work/a.wav" "$work/b.wav" "$work/c.wav" "${FMT[@]}" "$file" \
        fade q 0.008 "$len" "$(awk -v l="$len" 'BEGIN { print l - 0.01 }')" \
        fade l 0 "$len" "$(awk -v l="$len" 'BEGIN { print l * 0.8 }')"
}

# buzz FILE LENGTH FREQ: a rounded square/triangle blend, low-passed so it
# reads as "nope" without being harsh.
buzz() {
    local file=$1 len=$2 freq=$3
    sox -n "${FMT[@]}" "$work/t.wav" synth "$len" triangle "$freq"
    sox -n "${FMT[@]}" "$work/s.wav" synth "$len" square "$freq" vol 0.35
    sox -m "$work/t.wav" "$work/s.wav" "${FMT[@]}" "$file" \
        lowpass 1400 lowpass 1400 \
        fade q 0.01 "$len" 0.06
}

# --- correct: C6 then G6, ~0.35 s -------------------------------------------
# The first note keeps ringing softly under the second, like a struck bell.
note "$work/c6.wav" 0.35 1046.50
note "$work/g6.wav" 0.24 1567.98
sox "$work/g6.wav" "${FMT[@]}" "$work/g6-late.wav" pad 0.11 0
sox -D -m -v 0.7 "$work/c6.wav" -v 1.0 "$work/g6-late.wav" "${FMT[@]}" \
    "$outdir/correct.wav" gain -n "$PEAK_DB" pad 0 "$TAIL_PAD"

# --- wrong: A3 then E3, ~0.4 s ----------------------------------------------
buzz "$work/a3.wav" 0.17 220.00
buzz "$work/e3.wav" 0.23 164.81
sox -D "$work/a3.wav" "$work/e3.wav" "${FMT[@]}" "$outdir/wrong.wav" \
    gain -n "$PEAK_DB" pad 0 "$TAIL_PAD"

for f in "$outdir/correct.wav" "$outdir/wrong.wav"; do
    echo "== ${f#"$root"/}"
    soxi "$f"
    sox "$f" -n stat 2>&1
    size=$(stat -c %s "$f")
    echo "File bytes: $size"
    if [[ $(soxi -b "$f") -ne 16 || $(soxi -c "$f") -ne 1 || $(soxi -r "$f") -ne $RATE ]]; then
        echo "unexpected format for $f" >&2
        exit 1
    fi
    if (( size >= 100 * 1024 )); then
        echo "$f is larger than 100 KB" >&2
        exit 1
    fi
done
