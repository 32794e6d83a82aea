#!/usr/bin/env bash
# Draws the default splash picture resources/sunbird.jpg (a bird flying
# towards the rising sun) with ImageMagick. Run by hand when the picture
# should change; the build only copies the result.
set -euo pipefail
cd "$(dirname "$0")/.."
convert -size 480x240 gradient:'#ffe9b3'-'#ff9a76' \
  -fill '#fff3c4' -stroke none -draw "circle 240,250 240,150" \
  -fill '#ffd24d' -draw "circle 240,250 240,175" \
  -stroke '#ffd24d' -strokewidth 3 \
  -draw "line 240,120 240,95" -draw "line 170,140 150,118" -draw "line 310,140 330,118" \
  -draw "line 120,185 92,172" -draw "line 360,185 388,172" \
  -stroke '#5b2a86' -strokewidth 5 -fill none \
  -draw "polyline 150,95 160,84 172,77 186,76 200,82 215,95 230,82 244,76 258,77 270,84 280,95" \
  -stroke '#8e3b9e' -strokewidth 4 \
  -draw "polyline 300,60 307,52 318,47 328,50 338,60 348,50 358,47 369,52 375,60" \
  -resize 360x180 -quality 88 resources/sunbird.jpg
