#!/usr/bin/env bash
# Builds the Debian package of Тандемо from the build folder (configured and
# built by setup.sh when needed) and leaves it in build/package/. The package
# installs under /usr; its dependencies are found by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
PACKAGE_TOOLS=(dpkg-dev file)  # dpkg-shlibdeps, and file for CPack's look at the binaries
missing=()
for pkg in "${PACKAGE_TOOLS[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package")
ls build/package/*.deb
