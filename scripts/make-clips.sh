#!/bin/sh
# Makes the tiny clips the GUI tests play in the real view: a WebM video and a
# WAV sound that the view plays, and an AVI video that it cannot. Needs
# Debian's ffmpeg. Run once; the clips are committed under tests/clips/.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/tests/clips"
mkdir -p "$out"
ff() { ffmpeg -hide_banner -loglevel error -y -bitexact "$@"; }
# A few seconds: long enough to be still playing when a test asks.
ff -f lavfi -i "testsrc=size=160x120:rate=5:duration=4" -c:v libvpx -b:v 24k -an \
   -fflags +bitexact -map_metadata -1 "$out/clip.webm"
ff -f lavfi -i "sine=frequency=440:sample_rate=4000:duration=3" -ac 1 -c:a pcm_u8 \
   -fflags +bitexact -map_metadata -1 "$out/tone.wav"
ff -f lavfi -i "testsrc=size=80x60:rate=5:duration=1" -c:v mpeg4 -q:v 20 -an \
   -fflags +bitexact -map_metadata -1 "$out/old.avi"
ls -l "$out"
