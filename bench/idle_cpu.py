"""Measures the real program standing idle on the sample game's play screen at 60 frames a
second, windowed and full screen at each colour depth, and windowed at scale 3 on a 3840x2160
screen: the share of one core that the program
and the X server each use, and the program's resident memory. It starts its own Xvfb, so it
needs no display:
    python3 bench/idle_cpu.py build/tarnwick [--seconds 10] [--json]
"""

import argparse
import json
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402
from private_display import PrivateDisplay, cpu_seconds, resident_kib  # noqa: E402


def measure(binary, depth, full_screen, seconds, server_pid, scale=None):
    with harness.Program(binary, args=["--scale", str(scale)] if scale else ()) as game:
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.click(dialog, *dialog_layout.RADIOS[str(depth)])
        if full_screen:
            game.click(dialog, *dialog_layout.FULL_SCREEN)
        game.click(dialog, *dialog_layout.START)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        # The pointer rests outside the window; the first second's frame-rate update passes.
        width, height = map(int, harness.run("xdotool", "getdisplaygeometry").split())
        harness.run("xdotool", "mousemove", str(width - 4), str(height - 8))
        time.sleep(2.5)
        pid = game.process.pid
        program, server, start = cpu_seconds(pid), cpu_seconds(server_pid), time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - start
        mode = "full screen" if full_screen else "windowed"
        result = {"depth": depth, "mode": f"{mode} at scale {scale}" if scale else mode,
                  "program_percent": 100 * (cpu_seconds(pid) - program) / elapsed,
                  "server_percent": 100 * (cpu_seconds(server_pid) - server) / elapsed,
                  "resident_kib": resident_kib(pid), "seconds": elapsed}
        game.key(play, "F12")
        game.wait_exit()
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    results = []
    with PrivateDisplay() as display:
        for full_screen in (False, True):
            for depth in (16, 24, 32):
                results.append(measure(args.binary, depth, full_screen, args.seconds,
                                       display.server_pid))
    with PrivateDisplay("3840x2160x24") as display:
        results.append(measure(args.binary, 24, False, args.seconds, display.server_pid, 3))
    if args.json:
        print(json.dumps(results))
        return
    for r in results:
        print(f"idle play screen, {r['mode']}, {r['depth']} bits, 60 fps: program "
              f"{r['program_percent']:.2f} %, X server {r['server_percent']:.2f} % of one core "
              f"over {r['seconds']:.1f} s; resident {r['resident_kib'] / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
