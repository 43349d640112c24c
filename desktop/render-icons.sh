#!/usr/bin/env bash
# Renders the PNG sizes of the icon from the same strokes as example.zarvik.Zarvik.svg.
# ImageMagick's own SVG reader is not always built in, so the strokes are drawn with its
# drawing primitives instead. Run it after changing the SVG; the PNGs are kept in the tree.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
big="$(mktemp --suffix=.png)"
trap 'rm -f "$big"' EXIT
convert -size 1024x1024 xc:none \
  -draw "scale 8,8 fill '#1f5f8b' stroke '#0f3a57' stroke-width 4 roundrectangle 6,6 122,122 24,24" \
  -draw "scale 8,8 fill none stroke white stroke-width 10 stroke-linecap round stroke-linejoin round
         path 'M64 20 Q52 44 22 60' path 'M64 20 Q78 44 106 60'
         path 'M44 64 H84 V84' path 'M44 64 V96 Q44 104 54 104 H96 L100 94'" \
  "$big"
mkdir -p "$here/icons"
for size in 16 32 48 64 128 256; do
  convert "$big" -filter Lanczos -resize "${size}x${size}" -depth 8 -strip \
    "PNG32:$here/icons/example.zarvik.Zarvik-$size.png"
done
