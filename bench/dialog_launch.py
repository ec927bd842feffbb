"""Measures launch to dialog on screen: from starting the program to its configuration dialog
being viewable, beside a minimal GTK dialog of the same kind (bench/minimal_dialog.cpp),
started the same way in turns, over several runs under a private Xvfb with a window manager.
    python3 bench/dialog_launch.py build/tarnwick build/minimal_dialog [--runs 10] [--json]
"""

import argparse
import json
import os
import pathlib
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from private_display import PrivateDisplay  # noqa: E402


def launch(program, title):
    """Milliseconds from starting the program in the sample game's folder to a viewable window
    of that title."""
    env = {**os.environ, "SDL_AUDIODRIVER": "dummy"}
    start = time.monotonic()
    process = subprocess.Popen([str(pathlib.Path(program).resolve())], cwd=harness.GAME_DIR,
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pattern = re.compile(r'(0x[0-9a-f]+) "' + re.escape(title) + '"')
    try:
        while time.monotonic() - start < 10:
            for wid in pattern.findall(harness.run("xwininfo", "-root", "-tree")):
                if "IsViewable" in harness.run("xwininfo", "-id", wid):
                    return (time.monotonic() - start) * 1e3
        raise RuntimeError(f"no window {title!r} within 10 s")
    finally:
        process.kill()
        process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("minimal")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    ours, minimal = [], []
    with PrivateDisplay():
        # One launch of each first, so that both find their libraries in the page cache.
        launch(args.binary, harness.CONFIG_TITLE)
        launch(args.minimal, "Minimal dialog")
        for _ in range(args.runs):
            ours.append(launch(args.binary, harness.CONFIG_TITLE))
            minimal.append(launch(args.minimal, "Minimal dialog"))
    result = {"ours_ms": statistics.median(ours), "minimal_ms": statistics.median(minimal)}
    if args.json:
        print(json.dumps(result))
    else:
        print(f"launch to dialog on screen, medians of {args.runs}: Tarnwick "
              f"{result['ours_ms']:.0f} ms, minimal GTK dialog {result['minimal_ms']:.0f} ms, "
              f"ratio {result['ours_ms'] / result['minimal_ms']:.2f}")


if __name__ == "__main__":
    main()
