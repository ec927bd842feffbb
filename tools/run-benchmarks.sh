#!/usr/bin/env bash
# Runs every benchmark program of a build folder and prints their figures.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
for program in "$build"/bench_* "$build"/frame_pacing; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program"
done
echo "== idle_cpu"
python3 bench/idle_cpu.py "$build/tarnwick"
