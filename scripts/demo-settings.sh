#!/usr/bin/env bash
# First run only: when no settings file lies next to the program yet, writes
# one that makes the demo test of examples/ the File menu's last test, so that
# a newcomer opens it with one click. An existing settings file is left alone.
#   scripts/demo-settings.sh [BUILD_FOLDER]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build}"
ini="$build/Тандемо.ini"
demo="$repo/examples/Знакомства.tnd"

[ -e "$ini" ] && exit 0
[ -f "$demo" ] || exit 0

# The program's settings file: Windows-1251, CR LF, three lines (last folder
# of the file dialogs, splash picture - empty for the default one, last test).
if printf '%s\r\n%s\r\n%s\r\n' "$repo/examples/" "" "$demo" |
        iconv -f UTF-8 -t WINDOWS-1251 > "$ini.new" 2>/dev/null; then
    mv "$ini.new" "$ini"
else
    # A folder name that Windows-1251 cannot spell: start without the demo.
    rm -f "$ini.new"
fi
