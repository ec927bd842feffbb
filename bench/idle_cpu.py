"""Measures the real program standing idle on the sample game's play screen, windowed at each
colour depth: the share of one core it uses at 60 frames a second. Run under an X display:
    tools/with-display.sh python3 bench/idle_cpu.py build/tarnwick
"""

import os
import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402

SECONDS = 8


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(binary, depth):
    with harness.Program(binary) as game:
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.click(dialog, *dialog_layout.RADIOS[str(depth)])
        game.click(dialog, *dialog_layout.START)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        time.sleep(2)
        start_cpu, start = cpu_seconds(game.process.pid), time.monotonic()
        time.sleep(SECONDS)
        used = cpu_seconds(game.process.pid) - start_cpu
        elapsed = time.monotonic() - start
        game.key(play, "F12")
        game.wait_exit()
    print(f"idle play screen, {depth} bits, 60 fps: {100 * used / elapsed:.1f} % of one core "
          f"over {elapsed:.1f} s")


def main():
    for depth in (16, 24, 32):
        measure(sys.argv[1], depth)


if __name__ == "__main__":
    main()
