#!/usr/bin/env bash
# Runs a command inside a private Xvfb display with a window manager, then stops both.
# The screen size can be chosen with TARNWICK_SCREEN (default 1024x768x24). Xvfb picks a free
# display number itself, so several runs at once never collide.
set -uo pipefail

screen=${TARNWICK_SCREEN:-1024x768x24}
fdfile=$(mktemp)
trap 'rm -f "$fdfile"' EXIT
exec 9>"$fdfile"
Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 9>&-
number=""
for _ in $(seq 200); do
  number=$(tr -dc '0-9' <"$fdfile")
  [ -n "$number" ] && xdpyinfo -display ":$number" >/dev/null 2>&1 && break
  sleep 0.05
done
if [ -z "$number" ]; then
  echo "with-display: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
export DISPLAY=":$number"
# The window manager is kept running for the whole command: tests of focus, activation and full
# screen need one, and an end of it is said and mended instead of failing every test after it.
(
  while kill -0 "$xvfb" 2>/dev/null; do
    openbox >/dev/null 2>&1
    kill -0 "$xvfb" 2>/dev/null && echo "with-display: the window manager ended; starting it again" >&2
    sleep 0.1
  done
) &
wm=$!
# Windows mapped before the window manager runs are never managed: wait until it answers.
for _ in $(seq 200); do
  wmctrl -m 2>/dev/null | grep -q Openbox && break
  sleep 0.05
done

"$@"
status=$?

kill "$wm" 2>/dev/null
kill "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $status
