#!/usr/bin/env bash
# Runs one test on a real X11 desktop: a private Xvfb server with the openbox
# window manager, started for this run and stopped afterwards. Used by ctest
# for the tests under tests/x11 (no display needs to be given).
set -euo pipefail
fdfile=$(mktemp)
trap 'kill "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -f "$fdfile"' EXIT
# Xvfb picks a free display itself and writes its number to the descriptor.
# TANDEMO_X11_SCREEN gives another screen size (WIDTHxHEIGHTxDEPTH).
Xvfb -displayfd 3 -screen 0 "${TANDEMO_X11_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
done
display=$(tr -d '\n' <"$fdfile")
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$@"
