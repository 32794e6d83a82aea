#!/usr/bin/env bash
# Builds Тандемо if needed and runs every test (no display needed).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
