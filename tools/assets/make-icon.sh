#!/usr/bin/env bash
# Draws the Lexitor Trainer program icon: a cream letter tile with a big "L",
# a small point value in the corner and a teal accent band, on a transparent
# background. A 1024 px master is drawn once and each size is downscaled from
# it with a Lanczos filter (plus a light sharpen for the smallest sizes).
#
# Usage: tools/assets/make-icon.sh
# Needs: ImageMagick 6 (convert), fontconfig (fc-match), fonts-liberation.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
outdir="$root/data/icons"
mkdir -p "$outdir"

font=$(fc-match -f '%{file}' 'Liberation Sans:bold')
case "$font" in
    *LiberationSans-Bold*) ;;
    *) echo "Liberation Sans Bold not found (fc-match gave '$font')" >&2; exit 1 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

S=1024                      # master canvas size
X0=96  Y0=72  X1=928 Y1=904 # tile rectangle
R=132                       # corner radius
INK='#2a2119'               # letter colour
EDGE='#a9864c'              # tile border
TEAL='#1f9e8f'              # accent band

# Soft drop shadow: the tile shape, darkened, blurred and nudged down.
convert -size ${S}x${S} xc:none \
    -fill 'rgba(40,25,10,0.55)' \
    -draw "roundrectangle $X0,$((Y0 + 30)) $X1,$((Y1 + 30)) $R,$R" \
    -blur 0x22 "$work/shadow.png"

# Tile face: a vertical cream gradient clipped to the rounded rectangle.
convert -size ${S}x${S} xc:none -fill white \
    -draw "roundrectangle $X0,$Y0 $X1,$Y1 $R,$R" "$work/mask.png"
convert -size ${S}x${S} gradient:'#fbf3dc'-'#ecd9ab' "$work/grad.png"
convert "$work/grad.png" "$work/mask.png" -alpha off -compose CopyOpacity \
    -composite "$work/face.png"

# Accent band along the bottom of the face, clipped to the same shape.
convert -size ${S}x${S} xc:none -fill "$TEAL" \
    -draw "rectangle 0,$((Y1 - 92)) $S,$S" "$work/band-full.png"
convert "$work/band-full.png" "$work/mask.png" -compose DstIn -composite \
    "$work/band.png"

# A faint highlight just inside the top edge gives the tile some bevel.
convert -size ${S}x${S} xc:none -fill none \
    -stroke 'rgba(255,255,255,0.85)' -strokewidth 10 \
    -draw "roundrectangle $((X0 + 20)),$((Y0 + 20)) $((X1 - 20)),$((Y1 - 20)) $((R - 20)),$((R - 20))" \
    "$work/hl-ring.png"
convert -size ${S}x${S} gradient:white-black -level 55%,100% "$work/hl-fade.png"
convert "$work/hl-ring.png" \( "$work/hl-fade.png" "$work/hl-ring.png" -alpha extract \
    -compose Multiply -composite \) -alpha off -compose CopyOpacity -composite \
    "$work/highlight.png"

# Border and lettering.
convert -size ${S}x${S} xc:none \
    -fill none -stroke "$EDGE" -strokewidth 16 \
    -draw "roundrectangle $X0,$Y0 $X1,$Y1 $R,$R" \
    -stroke none -fill "$INK" -font "$font" \
    -pointsize 640 -gravity center -annotate -18-40 'L' \
    -pointsize 170 -gravity southeast -annotate +$((S - X1 + 58))+$((S - Y1 + 106)) '1' \
    "$work/ink.png"

convert "$work/shadow.png" "$work/face.png" -compose Over -composite \
    "$work/band.png" -compose Over -composite \
    "$work/highlight.png" -compose Over -composite \
    "$work/ink.png" -compose Over -composite \
    "$work/master.png"

for size in 256 128 48 32; do
    sharpen=()
    if (( size <= 48 )); then
        sharpen=(-unsharp 0x0.5+0.35+0)
    fi
    convert "$work/master.png" -filter Lanczos -resize ${size}x${size} \
        "${sharpen[@]}" -strip -define png:color-type=6 \
        "$outdir/lexitor-trainer-$size.png"
done

for size in 32 48 128 256; do
    identify -format '%f: %wx%h %[channels]\n' "$outdir/lexitor-trainer-$size.png"
done
