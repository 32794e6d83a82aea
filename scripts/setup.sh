#!/usr/bin/env bash
# Installs what the build needs from Debian's packages (when missing), then
# configures and builds Тандемо into build/. Used by run.sh, test.sh and CI.
set -euo pipefail

cd "$(dirname "$0")/.."

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools qt6-webengine-dev
          qt6-webengine-dev-tools libgl-dev libxkbcommon-dev fonts-dejavu-core qt6-translations-l10n
          xvfb xauth openbox xdotool)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        SUDO="sudo"
    fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

BUILD_TYPE="${TANDEMO_BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
cmake --build build -j"$(nproc)"
