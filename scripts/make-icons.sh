#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/tandemo.svg) as PNGs at the
# sizes desktops look for; the results are kept in the repository, so the
# build needs no renderer. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" tandemo.svg -o "hicolor/${size}x${size}/tandemo.png"
done
