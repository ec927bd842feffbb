#!/usr/bin/env bash
# Runs a command inside a private Xvfb display with a window manager, then stops both.
# The screen size can be chosen with TARNWICK_SCREEN (default 1024x768x24).
set -uo pipefail

screen=${TARNWICK_SCREEN:-1024x768x24}
for n in $(seq 90 140); do
  [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.05
done
export DISPLAY=$display
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.3

"$@"
status=$?

kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $status
