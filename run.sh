#!/usr/bin/env bash
# Builds Тандемо if needed and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
exec build/tandemo "$@"
