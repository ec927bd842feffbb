#!/usr/bin/env python3
"""Draws the configuration dialog's logo and the program's icons with ImageMagick.

Writes app/logo.png (313x52, 24-bit RGB; the build embeds it in the program) and the icon of
the desktop menus, dist/icons/hicolor/<N>x<N>/apps/tarnwick.png at each size desktops use. The
icon is the logo's board motif on its own: the same colours, the same two placed pieces. Run it
from anywhere after changing the drawing; every output is committed.
"""

import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parent.parent
PNG = ROOT / "app" / "logo.png"
ICONS = ROOT / "dist" / "icons" / "hicolor"
CONVERT = "/usr/bin/convert"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
SMALL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
WIDTH, HEIGHT = 313, 52
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)

# The logo's colours: sky gradient, board lines, pieces and frame.
SKY = "gradient:#1b3a5c-#0b1726"
LINES = "#4f7aa3"
PIECES = "#d8b24f"
FRAME = "#0a1420"
# Fixed output: no time stamps, so that an unchanged drawing gives unchanged files.
STABLE_PNG = ["-strip", "-define", "png:exclude-chunks=date,time"]


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
        CONVERT, "-size", f"{WIDTH}x{HEIGHT}", SKY,
        # The board motif with two placed pieces.
        "+antialias", "-fill", "none", "-stroke", LINES, "-strokewidth", "1",
        "-draw", board_lines(), "-stroke", "none", "-fill", PIECES,
        "-draw", "rectangle 265,14 267,31", "-draw", "rectangle 273,38 291,40", "-antialias",
        # The name, with a soft shadow under it.
        "(", "+clone", "-alpha", "transparent", "-font", FONT, "-pointsize", "30",
        "-fill", "black", "-annotate", "+14+37", "Tarnwick", "-blur", "0x2", ")",
        "-composite",
        "-font", FONT, "-pointsize", "30", "-fill", "#f2d37a", "-annotate", "+12+35", "Tarnwick",
        "-font", SMALL_FONT, "-pointsize", "10", "-fill", "#a9c1d9",
        "-annotate", "+172+35", "board set-up",
        # A thin frame, as on a picture control.
        "-fill", "none", "-stroke", FRAME, "-draw", f"rectangle 0,0 {WIDTH - 1},{HEIGHT - 1}",
        "-alpha", "off", *STABLE_PNG, "-type", "TrueColor", "-define", "png:color-type=2",
        f"PNG24:{PNG}",
    ]
    subprocess.run(command, check=True)


def icon_drawing(size):
    """The board motif filling a rounded tile of size pixels.

    From 48 pixels up the board has the logo's 10 by 10 squares; smaller icons draw every
    second line, since lines closer than two pixels merge into a plain area.
    """
    squares = 10 if size >= 48 else 5
    margin = round(size * 0.12)
    cell = (size - 2 * margin) / squares
    stroke = max(1, round(size / 96))
    edge = size - 1
    radius = max(2, round(size * 0.14))

    def at(index):
        return round(margin + index * cell)

    lines = []
    for i in range(squares + 1):
        lines.append(f"line {at(i)},{at(0)} {at(i)},{at(squares)}")
        lines.append(f"line {at(0)},{at(i)} {at(squares)},{at(i)}")
    # The logo's pieces, one standing in the third column and one lying on the ninth row; on
    # the coarser board they keep their places as near as its squares allow.
    pieces = ((2, 2, 1, 5), (4, 8, 5, 1)) if squares == 10 else ((1, 1, 1, 3), (2, 4, 3, 1))
    inset = round(cell * 0.2)

    def piece(column, row, columns, rows):
        left, top = at(column) + inset, at(row) + inset
        right, bottom = at(column + columns) - inset, at(row + rows) - inset
        return f"rectangle {left},{top} {right},{bottom}"

    return [
        "-size", f"{size}x{size}", SKY,
        "(", "-size", f"{size}x{size}", "xc:none", "-fill", "white",
        "-draw", f"roundrectangle 0,0 {edge},{edge} {radius},{radius}", ")",
        "-compose", "DstIn", "-composite", "-compose", "Over",
        "+antialias", "-fill", "none", "-stroke", LINES, "-strokewidth", str(stroke),
        "-draw", " ".join(lines), "-stroke", "none", "-fill", PIECES,
        *(part for shape in pieces for part in ("-draw", piece(*shape))), "-antialias",
        "-fill", "none", "-stroke", FRAME, "-strokewidth", str(stroke),
        "-draw", f"roundrectangle 0,0 {edge},{edge} {radius},{radius}",
    ]


def draw_icons():
    for size in ICON_SIZES:
        target = ICONS / f"{size}x{size}" / "apps" / "tarnwick.png"
        target.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run([CONVERT, *icon_drawing(size), *STABLE_PNG, f"PNG32:{target}"],
                       check=True)


if __name__ == "__main__":
    draw()
    draw_icons()
