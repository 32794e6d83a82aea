#!/usr/bin/env bash
# Checks what the desktop and Debian see of Тандемо: the menu entry, the
# AppStream metadata and the .deb (lintian, no errors). CI runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
TOOLS=(desktop-file-utils appstream lintian)
scripts/install-packages.sh "${TOOLS[@]}"
echo "== desktop-file-validate"
desktop-file-validate packaging/ru.tandemo.Tandemo.desktop
echo "== appstreamcli validate"
appstreamcli validate --no-net --strict packaging/ru.tandemo.Tandemo.metainfo.xml
echo "== package"
scripts/package.sh
deb=$(ls build/package/*.deb)
dpkg-deb --field "$deb"; echo "size: $(stat -c %s "$deb") bytes"
echo "== lintian $deb"
lintian --fail-on error --info "$deb"
echo "package checks passed"
