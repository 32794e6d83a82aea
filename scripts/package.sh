#!/usr/bin/env bash
# Builds the Debian package of Тандемо from the build folder (configured and
# built by setup.sh when needed) and leaves it in build/package/. The package
# installs under /usr; its dependencies are found by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
PACKAGE_TOOLS=(dpkg-dev file)  # dpkg-shlibdeps, and file for CPack's look at the binaries
scripts/install-packages.sh "${PACKAGE_TOOLS[@]}"
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package")
ls build/package/*.deb
