#!/usr/bin/env bash
# Builds Тандемо if needed and starts it; on the first run the demo test of
# examples/ is the File menu's last test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/demo-settings.sh build
exec build/tandemo "$@"
