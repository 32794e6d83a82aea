#!/usr/bin/env bash
# Installs what the build needs from Debian's packages (when missing), then
# configures and builds Тандемо into build/. Used by run.sh, test.sh and CI.
set -euo pipefail

cd "$(dirname "$0")/.."

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-webengine-dev
          qt6-webengine-dev-tools libgl-dev libxkbcommon-dev fonts-dejavu-core fonts-liberation2 qt6-translations-l10n
          libarchive-dev xvfb xauth openbox xdotool poppler-utils)

scripts/install-packages.sh "${PACKAGES[@]}"

BUILD_TYPE="${TANDEMO_BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
cmake --build build -j"$(nproc)"
