#!/bin/sh
# Draws the program icon at each size from the same geometry (so every size is
# sharp, none an upscale), and packs the 32 and 16 px images, 16 colours each,
# into vikkelo.ico. Needs ImageMagick. The images are committed; run this only
# after changing the drawing.
set -eu
cd "$(dirname "$0")"
mkdir -p icons
for s in 16 32 48 64 128 256; do
  # Everything is laid out on a 32-unit grid and scaled to s pixels.
  u() { awk -v s="$s" -v v="$1" 'BEGIN { printf "%.2f", v * s / 32 }'; }
  convert -size "${s}x${s}" xc:none \
    -fill '#202020' -stroke '#000000' -strokewidth "$(u 1)" \
      -draw "roundrectangle $(u 0.5),$(u 0.5) $(u 31.5),$(u 31.5) $(u 5),$(u 5)" \
    -stroke none \
    -fill '#FF0000' -draw "circle $(u 9),$(u 9) $(u 9),$(u 3.5)" \
    -fill '#808000' -draw "circle $(u 23),$(u 9) $(u 23),$(u 3.5)" \
    -fill '#008000' -draw "circle $(u 9),$(u 23) $(u 9),$(u 17.5)" \
    -fill '#000080' -draw "circle $(u 23),$(u 23) $(u 23),$(u 17.5)" \
    -fill '#FFFFFF' -draw "circle $(u 7.5),$(u 7.5) $(u 7.5),$(u 6)" \
    "icons/vikkelo-$s.png"
done
convert icons/vikkelo-32.png icons/vikkelo-16.png -colors 16 vikkelo.ico
