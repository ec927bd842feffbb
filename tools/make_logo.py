#!/usr/bin/env python3
"""Draws the configuration dialog's logo with ImageMagick.

Writes app/logo.png (313x52, 24-bit RGB), which the build embeds in the program so that it
finds its logo whatever its working directory. Run it from anywhere after changing the
drawing; the output is committed.
"""

import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parent.parent
PNG = ROOT / "app" / "logo.png"
CONVERT = "/usr/bin/convert"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
SMALL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
WIDTH, HEIGHT = 313, 52


def board_lines():
    """A faint 10 by 10 board on the right, the game's playing field."""
    left, top, cell = 256, 5, 4
    size = cell * 10
    lines = []
    for i in range(11):
        x = left + i * cell
        y = top + i * cell
        lines.append(f"line {x},{top} {x},{top + size}")
        lines.append(f"line {left},{y} {left + size},{y}")
    return " ".join(lines)


def draw():
    command = [
        CONVERT, "-size", f"{WIDTH}x{HEIGHT}", "gradient:#1b3a5c-#0b1726",
        # The board motif with two placed pieces.
        "+antialias", "-fill", "none", "-stroke", "#4f7aa3", "-strokewidth", "1",
        "-draw", board_lines(), "-stroke", "none", "-fill", "#d8b24f",
        "-draw", "rectangle 265,14 267,31", "-draw", "rectangle 273,38 291,40", "-antialias",
        # The name, with a soft shadow under it.
        "(", "+clone", "-alpha", "transparent", "-font", FONT, "-pointsize", "30",
        "-fill", "black", "-annotate", "+14+37", "Tarnwick", "-blur", "0x2", ")",
        "-composite",
        "-font", FONT, "-pointsize", "30", "-fill", "#f2d37a", "-annotate", "+12+35", "Tarnwick",
        "-font", SMALL_FONT, "-pointsize", "10", "-fill", "#a9c1d9",
        "-annotate", "+172+35", "board set-up",
        # A thin frame, as on a picture control.
        "-fill", "none", "-stroke", "#0a1420", "-draw", f"rectangle 0,0 {WIDTH - 1},{HEIGHT - 1}",
        "-alpha", "off", "-strip", "-type", "TrueColor", "-define", "png:color-type=2",
        "-define", "png:exclude-chunks=date,time", f"PNG24:{PNG}",
    ]
    subprocess.run(command, check=True)


if __name__ == "__main__":
    draw()
