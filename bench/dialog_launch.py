"""Measures launch to dialog on screen: from starting the program to the X server's notification
that its configuration dialog is mapped (bench/launch_to_map.cpp), beside a minimal GTK dialog
(bench/minimal_dialog.cpp: gtk_dialog_new_with_buttons with a combo box, a check button and a
field, no icon looked up), started the same way in turns, under a private Xvfb with a window
manager.
    python3 bench/dialog_launch.py build [--runs 15] [--json]
"""

import argparse
import json
import os
import pathlib
import statistics
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from private_display import PrivateDisplay  # noqa: E402

MINIMAL_TITLE = "Minimal dialog"


def launch(build, program, title):
    """Milliseconds from starting the program in the sample game's folder to its window of that
    title being mapped."""
    result = subprocess.run([str(build / "launch_to_map"), title, str(build / program)],
                            cwd=harness.GAME_DIR, env={**os.environ, "SDL_AUDIODRIVER": "dummy"},
                            capture_output=True, text=True, timeout=30, check=True)
    return float(result.stdout)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    ours, minimal = [], []
    with PrivateDisplay():
        # One launch of each first, so that both find their libraries in the page cache.
        launch(build, "tarnwick", harness.CONFIG_TITLE)
        launch(build, "minimal_dialog", MINIMAL_TITLE)
        for _ in range(args.runs):
            ours.append(launch(build, "tarnwick", harness.CONFIG_TITLE))
            minimal.append(launch(build, "minimal_dialog", MINIMAL_TITLE))
    result = {"runs": args.runs, "ours_ms": statistics.median(ours),
              "minimal_ms": statistics.median(minimal)}
    if args.json:
        print(json.dumps(result))
    else:
        print(f"launch to dialog mapped, medians of {args.runs}: Tarnwick "
              f"{result['ours_ms']:.1f} ms, minimal GTK dialog {result['minimal_ms']:.1f} ms, "
              f"ratio {result['ours_ms'] / result['minimal_ms']:.2f}")


if __name__ == "__main__":
    main()
