#!/usr/bin/env bash
# Draws Tintwell's own artwork with ImageMagick: the window icon, the four action
# icons and the About logo. The outputs are committed; run this again only to
# change the pictures.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
im=/usr/bin/convert

# The palette motif shared by the window icon and the logo: a 4 x 4 grid of hues.
hues=(ff3b30 ff9500 ffcc00 8bd346 34c759 00c7be 30b0c7 32ade6
      007aff 5856d6 af52de ff2d55 a2845e 8e8e93 48484a f2f2f7)

grid_draw() {  # cell size, gap, left, top
  local cell=$1 gap=$2 left=$3 top=$4 draw=() i=0
  for row in 0 1 2 3; do
    for col in 0 1 2 3; do
      local x=$((left + col * (cell + gap))) y=$((top + row * (cell + gap)))
      draw+=(-fill "#${hues[i]}" -draw "rectangle $x,$y $((x + cell - 1)),$((y + cell - 1))")
      i=$((i + 1))
    done
  done
  printf '%s\n' "${draw[@]}"
}

# Window icon, 32 x 32: the grid on a dark rounded tile.
mapfile -t cells < <(grid_draw 6 1 3 3)
$im -size 32x32 xc:none -fill '#2c2c34' -draw 'roundrectangle 0,0 31,31 5,5' "${cells[@]}" \
  PNG32:tintwell.png

# Open: a yellow folder with its tab.
$im -size 16x16 xc:none -stroke '#8a6d1c' -fill '#f5c542' \
  -draw 'polygon 1,3 6,3 7,5 14,5 14,13 1,13' \
  -fill '#ffe08a' -draw 'polygon 3,7 15,7 13,13 1,13' PNG32:open.png

# Save: a blue floppy disk with a white label and a metal shutter.
$im -size 16x16 xc:none -stroke '#1d3f7a' -fill '#2f6fd6' -draw 'rectangle 1,1 14,14' \
  -stroke none -fill white -draw 'rectangle 4,2 11,7' \
  -fill '#c9ced6' -draw 'rectangle 5,10 10,14' -fill '#1d3f7a' -draw 'rectangle 8,11 9,13' \
  PNG32:save.png

# Save As: the floppy with a pencil across its corner.
$im -size 16x16 xc:none -stroke '#1d3f7a' -fill '#2f6fd6' -draw 'rectangle 1,1 12,12' \
  -stroke none -fill white -draw 'rectangle 3,2 9,6' \
  -fill '#c9ced6' -draw 'rectangle 4,9 8,12' \
  -stroke '#7a4a00' -fill '#f0a030' -draw 'polygon 8,13 14,7 15,8 9,14' \
  -stroke none -fill '#333333' -draw 'polygon 7,15 8,13 9,14' PNG32:saveas.png

# About: a blue disc with a white "i".
$im -size 16x16 xc:none -fill '#2f6fd6' -stroke '#1d3f7a' -draw 'circle 7.5,7.5 7.5,0.5' \
  -stroke none -fill white -draw 'rectangle 7,3 8,4' -draw 'rectangle 7,6 8,12' \
  -draw 'rectangle 6,12 9,12' PNG32:about.png

# About logo, 75 x 75 baseline JFIF: the hue grid on a soft tile with a drop of
# paint falling into it.
mapfile -t cells < <(grid_draw 12 3 9 16)
$im -size 75x75 xc:white -fill '#e8eaf2' -stroke '#b8bccb' \
  -draw 'roundrectangle 2,2 72,72 10,10' "${cells[@]}" \
  -stroke '#1d3f7a' -fill '#2f6fd6' -draw 'circle 60,12 60,6' \
  -draw 'polygon 55,10 60,0 65,10' \
  -strip -interlace none -sampling-factor 2x2 -quality 92 logo.jpg

# Preview: a magnifying glass.
$im -size 16x16 xc:none -fill '#dfe9f5' -stroke '#2b5797' -strokewidth 2 \
  -draw 'circle 6.5,6.5 6.5,2' -stroke '#5a3a1a' -strokewidth 3 -draw 'line 10,10 14,14' preview.png
