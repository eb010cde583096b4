#!/bin/sh
# Draws the program icon at each size, and packs the 32 and 16 px images,
# 16 colours each, into vikkelo.ico. Needs ImageMagick. The images are
# committed; run this only after changing the drawing.
#
# The icon is the game board: four lamps, the red one lit, on a light panel.
# Every size is laid out afresh on whole pixels (frame, margins, lamps and the
# gap between them), so that no straight edge falls between two pixels and
# blurs; none is an upscale or a downscale of another.
set -eu
cd "$(dirname "$0")"
mkdir -p icons
mvg=$(mktemp)
trap 'rm -f "$mvg"' EXIT
for s in 16 32 48 64 128 256; do
  # frame width f, lamp diameter d, margin m inside the frame; the gap
  # between the lamps takes what is left, so the layout is symmetric.
  case $s in
    16) f=1 d=5 m=1 ;;
    32) f=1 d=11 m=2 ;;
    48) f=2 d=16 m=3 ;;
    64) f=2 d=22 m=4 ;;
    128) f=4 d=44 m=8 ;;
    256) f=6 d=90 m=15 ;;
  esac
  awk -v s="$s" -v f="$f" -v d="$d" -v m="$m" '
  # ImageMagick puts pixel centres on whole coordinates: an edge at e is e - 0.5.
  function lamp(x, y, colour) {
    printf "fill %s\n", colour
    if (ring > 0) printf "stroke #000000\nstroke-width %g\n", ring
    else print "stroke none"
    # Unsmoothed at 16 px, a radius a little under half the diameter cuts the
    # corner pixels off the square and leaves a round lamp.
    r = (s > 16) ? (d - ring) / 2 : d / 2 - 0.2
    printf "circle %.2f,%.2f %.2f,%.2f\n", x, y, x, y - r
  }
  BEGIN {
    inner = s - 2 * f; gap = inner - 2 * m - 2 * d
    a = f + m; b = a + d + gap
    ca = a + d / 2 - 0.5; cb = b + d / 2 - 0.5
    p0 = f / 2 - 0.5; p1 = s - f / 2 - 0.5
    corner = (s >= 32) ? s * 5 / 32 : 2
    ring = (s >= 48) ? f / 2 : 0
    printf "fill #C0C0C0\nstroke #000000\nstroke-width %g\n", f
    printf "roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", p0, p0, p1, p1, corner, corner
    lamp(ca, ca, "#FF0000"); lamp(cb, ca, "#808000")
    lamp(ca, cb, "#008000"); lamp(cb, cb, "#000080")
    print "stroke none\nfill #FFFFFF"
    if (s >= 32) {
      hx = ca - d / 5; hr = d / 8
      printf "circle %.2f,%.2f %.2f,%.2f\n", hx, hx, hx, hx - hr
    } else {
      # Too small for a round highlight: one white pixel.
      printf "point %d,%d\n", a + 1, a + 1
    }
  }' > "$mvg"
  # At 16 px a smoothed edge is mostly smear: draw whole pixels only.
  aa=-antialias
  [ "$s" -gt 16 ] || aa=+antialias
  convert -size "${s}x${s}" xc:none "$aa" -draw "$(cat "$mvg")" "icons/vikkelo-$s.png"
done
# No dithering: it scatters stray dots between the lamps.
convert icons/vikkelo-32.png icons/vikkelo-16.png +dither -colors 16 vikkelo.ico
