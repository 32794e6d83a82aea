#!/bin/sh
# Draws the two answer markers shown in front of every answer on a question
# page: znak0.jpg (not chosen, an empty ring) and znak1.jpg (chosen, a ring
# with a green dot). Needs ImageMagick's convert. Run from anywhere.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/resources"
mkdir -p "$out"
convert -size 20x20 xc:white -fill white -stroke '#3050a0' -strokewidth 2 \
    -draw 'circle 10,10 10,3' -strip -quality 95 "$out/znak0.jpg"
convert -size 20x20 xc:white -fill white -stroke '#3050a0' -strokewidth 2 \
    -draw 'circle 10,10 10,3' -stroke none -fill '#20a030' -draw 'circle 10,10 10,6' \
    -strip -quality 95 "$out/znak1.jpg"
