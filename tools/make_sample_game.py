#!/usr/bin/env python3
"""Regenerates every picture and the warning sound of the sample game "Morrels".

Run it from anywhere:  python3 tools/make_sample_game.py
It rewrites the bitmaps under game/images/ and game/sounds/bleep14.wav; the text files under
game/packages/ are written by hand and this script does not touch them. The output is the same on every run: all randomness
comes from fixed seeds, and the BMP and WAV files are written byte by byte by this script.

Needs Python 3 (standard library only) and ImageMagick's /usr/bin/convert with the DejaVu fonts.
ImageMagick draws the shapes (MVG vector drawing, at four times the final size) and the button
labels; this script scales them down, lays the outlines, keys the transparent parts and writes
the files.

Rules the pictures follow (the program copies them one to one onto a black 640x480 screen):
- Every picture is a 24-bit BMP.
- Pure green (0,255,0) is transparent in the grid overlays and in the cell stills, and nowhere else
  may a pure or nearly pure green appear: the palette below holds no green at all.
- Board background and grid overlay: 432x432, both drawn at screen (15,33). The board squares
  are 41x41 and start at (2 + 43c, 2 + 43r) inside the picture, so the 2-pixel lines between them
  lie on the columns and rows 43k and 43k + 1.
- Panel buttons: 150x40, stacked on the right of the screen from y 260 down.
- Cell stills: 41 wide and 60 high; the program draws a still with its left edge on the square's
  left edge and its top 19 pixels above the square's top, so rows 19 to 59 cover the square and the
  figure stands in the lower part of it with its head reaching above. The edge of a figure is a
  dark outline with a hard outer border, so no colour ever blends into the green.
"""

import math
import random
import struct
import subprocess
import wave
from pathlib import Path

GAME = Path(__file__).resolve().parent.parent / "game"
CONVERT = "/usr/bin/convert"
FONTS = Path("/usr/share/fonts/truetype/dejavu")

KEY = (0, 255, 0)
SUPERSAMPLE = 4

BOARD_SIZE = 432
SQUARE = 41
PITCH = 43
CELL_WIDTH, CELL_HEIGHT = 41, 60
BUTTON_WIDTH, BUTTON_HEIGHT = 150, 40

# One palette for the whole game: cool slate for the board and panel, warm earth for the figures.
OUTLINE = (43, 29, 23)
GROUT = (31, 34, 42)
SLATE = (86, 95, 110)
SHADOW = (24, 26, 33)
LABEL = (246, 236, 212)
LABEL_SHADOW = (18, 19, 24)
PRESSED_RIM = (232, 172, 72)
FACE = "#2b1d17"
CHEEK = "#e3907e"
STEM = "#ebe0c9"
STEM_SHADE = "#c9b999"


# ---------------------------------------------------------------------------------------------
# Pictures in memory


class Picture:
    """An RGBA picture with 8 bits per channel, rows from top to bottom."""

    def __init__(self, width, height, data=None):
        self.width = width
        self.height = height
        self.data = bytearray(data) if data is not None else bytearray(width * height * 4)
        if len(self.data) != width * height * 4:
            raise ValueError(f"expected {width}x{height} RGBA pixels, got {len(self.data)} bytes")

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.data[i : i + 4])

    def put(self, x, y, rgba):
        i = (y * self.width + x) * 4
        self.data[i : i + 4] = bytes(rgba)

    def alpha(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            return self.data[(y * self.width + x) * 4 + 3]
        return 0


def magick(args, stdin=None):
    """Runs convert with the given arguments and returns what it writes to stdout."""
    result = subprocess.run([CONVERT, *args], input=stdin, capture_output=True, check=True)
    return result.stdout


def draw(width, height, mvg):
    """Draws an MVG script on a transparent canvas of the given size."""
    script = f"viewbox 0 0 {width} {height}\n{mvg}\n".encode()
    raw = magick(["-background", "none", "mvg:-", "-depth", "8", "rgba:-"], script)
    return Picture(width, height, raw)


def text(width, height, label, font, size, colour, x, baseline):
    """Writes one line of text, antialiased, on a transparent canvas."""
    raw = magick(
        [
            "-size", f"{width}x{height}", "xc:none",
            "-font", str(FONTS / font), "-pointsize", str(size),
            "-fill", "rgb({},{},{})".format(*colour),
            "-annotate", f"+{x}+{baseline}", label,
            "-depth", "8", "rgba:-",
        ]
    )
    return Picture(width, height, raw)


def shrink(picture, factor):
    """Box-filters a picture down by an integer factor, averaging colours weighted by alpha."""
    width, height = picture.width // factor, picture.height // factor
    out = Picture(width, height)
    src = picture.data
    count = factor * factor
    for y in range(height):
        for x in range(width):
            r = g = b = a = 0
            for sy in range(y * factor, y * factor + factor):
                i = (sy * picture.width + x * factor) * 4
                for _ in range(factor):
                    pa = src[i + 3]
                    r += src[i] * pa
                    g += src[i + 1] * pa
                    b += src[i + 2] * pa
                    a += pa
                    i += 4
            if a:
                out.put(x, y, (round(r / a), round(g / a), round(b / a), round(a / count)))
    return out


def blend_over(dst, src, dx, dy):
    """Lays src over the opaque picture dst with its top-left corner at (dx, dy)."""
    for y in range(src.height):
        ty = y + dy
        if not 0 <= ty < dst.height:
            continue
        for x in range(src.width):
            tx = x + dx
            if not 0 <= tx < dst.width:
                continue
            r, g, b, a = src.pixel(x, y)
            if a == 0:
                continue
            dr, dg, db, _ = dst.pixel(tx, ty)
            f = a / 255
            dst.put(tx, ty, (round(r * f + dr * (1 - f)), round(g * f + dg * (1 - f)),
                             round(b * f + db * (1 - f)), 255))


def noise(width, height, seed, sigma):
    """Smooth random field in -1..1: seeded white noise blurred by ImageMagick, then stretched."""
    rng = random.Random(seed)
    raw = bytes(rng.randrange(256) for _ in range(width * height))
    blurred = magick(
        ["-size", f"{width}x{height}", "-depth", "8", "gray:-",
         "-virtual-pixel", "tile", "-blur", f"0x{sigma}", "-depth", "8", "gray:-"],
        raw,
    )
    low, high = min(blurred), max(blurred)
    span = max(high - low, 1)
    return [(v - low) / span * 2 - 1 for v in blurred]


def clamp(v):
    return max(0, min(255, round(v)))


def shade(colour, amount):
    """Lightens (amount > 0) or darkens (amount < 0) a colour by a fraction of its distance to white
    or black."""
    if amount >= 0:
        return tuple(clamp(c + (255 - c) * amount) for c in colour)
    return tuple(clamp(c * (1 + amount)) for c in colour)


def hexcolour(colour):
    return "#{:02x}{:02x}{:02x}".format(*colour)


# ---------------------------------------------------------------------------------------------
# Files


def write_bmp(path, width, height, rgb):
    """Writes a 24-bit uncompressed BMP (BITMAPINFOHEADER, rows bottom-up) from RGB rows given top
    to bottom."""
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = rgb[y * width * 3 : (y + 1) * width * 3]
        for x in range(width):
            r, g, b = row[x * 3 : x * 3 + 3]
            pixels += bytes((b, g, r))
        pixels += bytes(row_size - width * 3)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(header + info + pixels)


def opaque_rgb(picture):
    """The RGB bytes of a picture that has no transparent pixels left."""
    out = bytearray()
    for i in range(0, len(picture.data), 4):
        out += picture.data[i : i + 3]
    return out


def check_no_stray_green(name, rgb, keyed):
    """Refuses pictures in which green could leak: pure green where nothing may be transparent, or
    greenish colours next to the key that would show as a fringe."""
    for i in range(0, len(rgb), 3):
        r, g, b = rgb[i], rgb[i + 1], rgb[i + 2]
        if (r, g, b) == KEY:
            if not keyed:
                raise ValueError(f"{name}: pure green in a picture without transparency")
            continue
        if g > 150 and g > r + 60 and g > b + 60:
            raise ValueError(f"{name}: greenish pixel {(r, g, b)} at byte {i}")


def save(name, width, height, rgb, keyed):
    check_no_stray_green(name, rgb, keyed)
    write_bmp(GAME / name, width, height, rgb)
    print(f"wrote game/{name}")


# ---------------------------------------------------------------------------------------------
# Board: a field of slate flagstones that line up with the squares, and the grid lines over it


def in_line(v):
    """True on the 2-pixel lines between squares (and on the board's outer edge)."""
    return v % PITCH < 2


def make_board():
    fine = noise(BOARD_SIZE, BOARD_SIZE, 11, 0.8)
    mottle = noise(BOARD_SIZE, BOARD_SIZE, 12, 7)
    veins = noise(BOARD_SIZE, BOARD_SIZE, 13, 3)
    rng = random.Random(14)
    tiles = {}
    for c in range(10):
        for r in range(10):
            tiles[c, r] = (rng.uniform(-1, 1), rng.uniform(-1, 1))

    rgb = bytearray()
    centre = BOARD_SIZE / 2
    for y in range(BOARD_SIZE):
        for x in range(BOARD_SIZE):
            if in_line(x) or in_line(y):
                rgb += bytes(GROUT)
                continue
            c, u = divmod(x - 2, PITCH)
            r, v = divmod(y - 2, PITCH)
            tone, warmth = tiles[c, r]
            i = y * BOARD_SIZE + x
            # Stone: per-slab tone, broad mottling, fine grain and a few faint light veins.
            light = 1 + 0.07 * tone + 0.06 * mottle[i] + 0.045 * fine[i]
            shifted = ((y + 53 * r) % BOARD_SIZE) * BOARD_SIZE + (x + 97 * c) % BOARD_SIZE
            vein = max(0.0, 1 - abs(veins[shifted]) * 14)
            light += 0.05 * vein
            # Soft light from the top left, a little darker towards the corners.
            dist = math.hypot(x - centre * 0.8, y - centre * 0.8) / BOARD_SIZE
            light *= 1.06 - 0.22 * dist
            # Bevel: each slab catches the light on its top and left edges.
            if u == 0 or v == 0:
                light *= 1.22
            elif u == 1 or v == 1:
                light *= 1.1
            if u == SQUARE - 1 or v == SQUARE - 1:
                light *= 0.72
            elif u == SQUARE - 2 or v == SQUARE - 2:
                light *= 0.86
            base = (SLATE[0] + 5 * warmth, SLATE[1] + 2 * warmth, SLATE[2] - 3 * warmth)
            colour = [clamp(ch * light) for ch in base]
            # Rounded slab corners.
            corner = min(u, SQUARE - 1 - u) + min(v, SQUARE - 1 - v)
            if corner == 0:
                colour = list(GROUT)
            elif corner == 1:
                colour = [(a + b) // 2 for a, b in zip(colour, GROUT)]
            rgb += bytes(colour)
    save("images/Board.bmp", BOARD_SIZE, BOARD_SIZE, rgb, keyed=False)


def make_grid_overlay():
    """Grout lines that frame the squares exactly; the squares themselves are transparent."""
    rgb = bytearray()
    for y in range(BOARD_SIZE):
        for x in range(BOARD_SIZE):
            rgb += bytes(GROUT if in_line(x) or in_line(y) else KEY)
    save("images/GridOverlay.bmp", BOARD_SIZE, BOARD_SIZE, rgb, keyed=True)


def make_shaded_overlay():
    """The same grid with every square half shaded by a stipple of dark pixels."""
    rgb = bytearray()
    for y in range(BOARD_SIZE):
        for x in range(BOARD_SIZE):
            if in_line(x) or in_line(y):
                rgb += bytes(SHADOW)
            else:
                rgb += bytes(SHADOW if (x + y) % 2 == 0 else KEY)
    save("images/ShadedOverlay.bmp", BOARD_SIZE, BOARD_SIZE, rgb, keyed=True)


# ---------------------------------------------------------------------------------------------
# Figures: one mushroom per cell, drawn in cell units (41 x 60, the square is rows 19 to 59)

GROUND = 54.5


def clipped(name, shape, body):
    """MVG that defines the clip path `name` from `shape` and draws `body` inside it."""
    return (
        f"push defs\npush clip-path \"{name}\"\npush graphic-context\n{shape}\n"
        f"pop graphic-context\npop clip-path\npop defs\n"
        f"push graphic-context\nclip-path url(#{name})\n{body}\npop graphic-context\n"
    )


def face(cx, y, look, cheeks=True, size=1.0):
    """Two eyes with a glint, a small smile and rosy cheeks, centred at cx."""
    dx = 3.2 * size
    ex = cx + 0.6 * look
    parts = [f"fill '{FACE}' stroke none"]
    for sign in (-1, 1):
        parts.append(f"ellipse {ex + sign * dx:.2f},{y:.2f} {1.45 * size:.2f},{2.1 * size:.2f} 0,360")
    parts.append("fill '#fffaf0'")
    for sign in (-1, 1):
        parts.append(f"circle {ex + sign * dx - 0.4:.2f},{y - 0.8:.2f} {ex + sign * dx - 0.4:.2f},{y - 0.3:.2f}")
    if cheeks:
        parts.append(f"fill '{CHEEK}' fill-opacity 0.55")
        for sign in (-1, 1):
            parts.append(f"ellipse {cx + sign * 5.6 * size:.2f},{y + 2.8:.2f} 1.7,1.1 0,360")
        parts.append("fill-opacity 1")
    parts.append(
        f"fill none stroke '{FACE}' stroke-width 0.8 "
        f"path 'M {ex - 1.5:.2f},{y + 3.3:.2f} Q {ex:.2f},{y + 4.6:.2f} {ex + 1.5:.2f},{y + 3.3:.2f}' stroke none"
    )
    return "\n".join(parts)


def stem(path_d, name):
    """A cream stem with its right side in shade."""
    shape = f"path '{path_d}'"
    return (
        f"fill '{STEM}' stroke none {shape}\n"
        + clipped(name, shape, f"fill '{STEM_SHADE}' ellipse 31,46 8,16 0,360")
    )


def toadstool(look):
    cap_d = "M 2.5,33 C 2.5,15 11.5,8 20.5,8 C 29.5,8 38.5,15 38.5,33 C 32,36.8 9,36.8 2.5,33 Z"
    cap = f"path '{cap_d}'"
    spots = [(11.5, 16, 3.1), (21.5, 12.2, 2.5), (29.5, 18.5, 3.0), (7.5, 26, 2.3),
             (18.5, 22.5, 3.4), (33.5, 27.5, 2.1), (26, 29, 1.8), (12.5, 31, 1.6)]
    body = "fill '#932820' ellipse 32,31 17,21 0,360\n"
    body += "fill '#e2634f' ellipse 13,15 8,4.5 -30,330\n"
    body += "fill '#f4ecdc' " + " ".join(f"circle {x},{y} {x + r},{y}" for x, y, r in spots)
    body += "\nfill '#cdb996' fill-opacity 0.5 " + " ".join(
        f"circle {x + 0.6},{y + 0.7} {x + 0.6 + r * 0.6},{y + 0.7}" for x, y, r in spots
    ) + " fill-opacity 1"
    return "\n".join([
        stem("M 14.5,34 C 14,42 12.5,49 13,53.5 Q 20.5,56.5 28,53.5 C 28.5,49 27,42 26.5,34 Z", "ts"),
        "fill '#d9c7a3' ellipse 20.5,33.6 16.5,3.8 0,360",
        f"fill '#c73a2e' {cap}",
        clipped("tc", cap, body),
        face(20.5, 43.5, look),
    ])


def morel(look):
    cap_d = ("M 20.5,2.5 C 27.5,2.5 34,14 34,27 C 34,33 33,37 31,38.5 C 25,40.2 16,40.2 10,38.5 "
             "C 8,37 7,33 7,27 C 7,14 13.5,2.5 20.5,2.5 Z")
    cap = f"path '{cap_d}'"
    pits = []
    for row, y in enumerate(range(6, 40, 5)):
        offset = 2.6 if row % 2 else 0
        x = 5.0 + offset
        while x < 37:
            pits.append(f"ellipse {x:.1f},{y + 0.5:.1f} 1.9,2.3 0,360")
            x += 5.2
    body = "fill '#d0a46c' ellipse 15,12 7,9 0,360\n"
    body += "fill '#6a452a' " + " ".join(pits)
    body += "\nfill '#2b1d17' fill-opacity 0.3 ellipse 33,27 11,22 0,360 fill-opacity 1"
    return "\n".join([
        stem("M 13.5,36 C 13.5,44 12.5,50 13,53.5 Q 20.5,56.5 28,53.5 C 28.5,50 27.5,44 27.5,36 Z", "ms"),
        f"fill '#b7884f' {cap}",
        clipped("mc", cap, body),
        face(20.5, 45, look),
    ])


def chanterelle(look):
    rim = []
    for k in range(48):
        t = 2 * math.pi * k / 48
        wobble = 1 + 0.05 * math.sin(5 * t + 0.7)
        rim.append((20.5 + 17.5 * wobble * math.cos(t), 16.5 + 5 * wobble * math.sin(t)))
    rim_d = "M " + " L ".join(f"{x:.2f},{y:.2f}" for x, y in rim) + " Z"
    body_d = ("M 3,16.5 C 3,22 8,27 14,32 C 15.5,38 14,47 13.5,53.5 Q 20.5,56.5 27.5,53.5 "
              "C 27,47 25.5,38 27,32 C 33,27 38,22 38,16.5 Z")
    funnel = f"path '{body_d}'"
    gills = []
    for k in range(1, 12):
        t = math.pi * k / 12
        x = 20.5 + 17.5 * math.cos(t)
        y = 16.5 + 5 * math.sin(t)
        gills.append(f"path 'M {x:.2f},{y:.2f} Q {20.5 + (x - 20.5) * 0.5:.2f},{y + 7:.2f} "
                     f"{20.5 + (x - 20.5) * 0.25:.2f},34'")
    shading = ("fill none stroke '#c0761f' stroke-width 0.7 " + " ".join(gills) + " stroke none\n"
               "fill '#7a4512' fill-opacity 0.28 ellipse 33,30 10,20 0,360 fill-opacity 1")
    return "\n".join([
        f"fill '#e8a03a' stroke none {funnel}",
        clipped("cf", funnel, shading),
        f"fill '#f5c25e' path '{rim_d}'",
        "fill '#d98a2a' ellipse 20.5,17.3 12.5,3.1 0,360",
        "fill '#c4741c' ellipse 21.5,17.8 9,1.9 0,360",
        face(20.5, 42.5, look, size=0.85),
    ])


def inkcap(look):
    cap_d = ("M 20.5,3.5 C 27.5,3.5 31,9 31.5,17 C 32,25 32.3,31 33,37.5 "
             "L 8,37.5 C 8.7,31 9,25 9.5,17 C 10,9 13.5,3.5 20.5,3.5 Z")
    cap = f"path '{cap_d}'"
    scales = []
    rng = random.Random(7)
    for row, y in enumerate(range(11, 36, 4)):
        x = 10.5 + (2 if row % 2 else 0)
        while x < 31:
            if not (y >= 22 and 13 < x < 28):
                jitter = rng.uniform(-0.6, 0.6)
                scales.append(f"path 'M {x - 1.6 + jitter:.2f},{y:.2f} Q {x + jitter:.2f},{y + 2.4:.2f} "
                              f"{x + 1.6 + jitter:.2f},{y:.2f}'")
            x += 4.2
    ink = "M 7,34.5 L 34,34.5 L 34,38 "
    for k, x in enumerate(range(32, 8, -3)):
        drop = 41.5 if k % 3 == 0 else 39.5
        ink += f"Q {x - 0.5:.1f},{drop} {x - 1.5:.1f},38 "
    ink += "L 7,38 Z"
    body = ("fill '#d6cbb8' ellipse 20.5,6.5 8,4.5 0,360\n"
            "fill '#b08f6a' ellipse 20.5,4.8 4.2,2.4 0,360\n"
            "fill none stroke '#9d968a' stroke-width 0.8 " + " ".join(scales) + " stroke none\n"
            "fill '#5a5460' fill-opacity 0.22 ellipse 32,22 8,20 0,360 fill-opacity 1")
    return "\n".join([
        stem("M 16.5,37 C 16,44 15.5,50 15.5,53.5 Q 20.5,55.8 25.5,53.5 C 25.5,50 25,44 24.5,37 Z", "is"),
        f"fill '#efece5' stroke none {cap}",
        clipped("ic", cap, body),
        f"fill '#30303a' path '{ink}'",
        face(20.5, 26.5, look, size=0.9),
    ])


def puffball(look):
    ball_d = ("M 20.5,23.5 C 30.5,23.5 37,31 37,40 C 37,48.5 31,54.8 20.5,54.8 "
              "C 10,54.8 4,48.5 4,40 C 4,31 10.5,23.5 20.5,23.5 Z")
    ball = f"path '{ball_d}'"
    warts = [(12, 30), (17, 27), (23, 26.5), (28.5, 29), (32, 34), (8.5, 35), (14.5, 33.5),
             (20.5, 31.5), (26, 33), (31, 44), (9, 46)]
    body = ("fill '#b39a6e' fill-opacity 0.22 ellipse 28,46 17,15 0,360 ellipse 29,47.5 13,11 0,360 "
            "ellipse 30,49 9,7.5 0,360 fill-opacity 1\n"
            "fill '#fbf5e6' ellipse 14,31 7,4.5 -25,335\n"
            "fill '#d9c9a5' " + " ".join(f"circle {x},{y} {x + 0.9},{y}" for x, y in warts) + "\n"
            "fill '#fffaf0' " + " ".join(f"circle {x - 0.3},{y - 0.3} {x + 0.2},{y - 0.3}" for x, y in warts))
    return "\n".join([
        f"fill '#eee3c9' stroke none {ball}",
        clipped("pb", ball, body),
        "fill '#eee3c9' path 'M 18.5,24.5 Q 20.5,19.5 22.5,24.5 Z'",
        face(20.5, 40.5, look),
    ])


class Kind:
    """A character of the sample game: its name, length, figure and button colours. `size` scales
    the figure about its feet so that, in a vertical row, a figure's head leaves the face of the one
    standing behind it visible."""

    def __init__(self, name, file_name, cells, figure, size, colour):
        self.name = name
        self.file_name = file_name
        self.cells = cells
        self.figure = figure
        self.size = size
        self.colour = colour


KINDS = [
    Kind("Morels", "morel", 5, morel, 0.86, (183, 136, 79)),
    Kind("Toadstools", "toadstool", 4, toadstool, 0.97, (199, 58, 46)),
    Kind("Chanterelles", "chanterelle", 3, chanterelle, 1.0, (232, 160, 58)),
    Kind("Inkcaps", "inkcap", 3, inkcap, 0.88, (225, 222, 214)),
    Kind("Puffballs", "puffball", 2, puffball, 1.0, (238, 227, 201)),
]

# Each cell of a character stands a little differently: a lean (degrees) and where it looks.
POSES = [(0, 0), (-4, 1), (3.5, -1), (-2.5, -1), (4, 1)]


def render_figure(kind, pose, scale=1.0):
    """The figure of one cell as an antialiased RGBA picture of 41x60 times `scale`."""
    lean, look = pose
    k = SUPERSAMPLE * scale
    width = round(CELL_WIDTH * scale) * SUPERSAMPLE
    height = round(CELL_HEIGHT * scale) * SUPERSAMPLE
    mvg = (
        f"translate {20.5 * k:.3f},{GROUND * k:.3f}\nscale {k * kind.size:.4f},{k * kind.size:.4f}\n"
        f"skewX {lean}\n"
        f"translate -20.5,{-GROUND}\n{kind.figure(look)}"
    )
    return shrink(draw(width, height, mvg), SUPERSAMPLE)


def outline(figure):
    """Surrounds a figure with a one-pixel dark outline: returns per pixel the opaque colour, or
    None where the pixel stays transparent. The figure's soft edges blend into the outline colour,
    never into the background, so the outer border is hard."""
    w, h = figure.width, figure.height
    solid = [[figure.alpha(x, y) >= 128 for x in range(w)] for y in range(h)]

    def near(x, y):
        for dx, dy in ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)):
            if 0 <= x + dx < w and 0 <= y + dy < h and solid[y + dy][x + dx]:
                return True
        diagonal = sum(
            1 for dx, dy in ((1, 1), (1, -1), (-1, 1), (-1, -1))
            if 0 <= x + dx < w and 0 <= y + dy < h and figure.alpha(x + dx, y + dy) >= 220
        )
        return diagonal > 0 and figure.alpha(x, y) > 0

    result = []
    for y in range(h):
        row = []
        for x in range(w):
            if not near(x, y):
                row.append(None)
                continue
            r, g, b, a = figure.pixel(x, y)
            f = a / 255
            row.append(tuple(clamp(c * f + o * (1 - f)) for c, o in zip((r, g, b), OUTLINE)))
        result.append(row)
    return result


def make_cell_still(kind, index):
    figure = render_figure(kind, POSES[index % len(POSES)])
    colours = outline(figure)
    rgb = bytearray()
    for y in range(CELL_HEIGHT):
        for x in range(CELL_WIDTH):
            colour = colours[y][x]
            if colour is None:
                # A stippled shadow on the ground; the stipple lets the board show through.
                ground = ((x - 21.5) / (13.5 * kind.size)) ** 2 + ((y - GROUND) / 3.6) ** 2
                colour = SHADOW if ground <= 1 and (x + y) % 2 == 0 else KEY
            rgb += bytes(colour)
    save(f"images/cells/{kind.file_name}_{index}.bmp", CELL_WIDTH, CELL_HEIGHT, rgb, keyed=True)


# ---------------------------------------------------------------------------------------------
# Panel buttons: a slate plaque with the character's figure, name and one pip per cell


def rounded_rect_coverage(x, y, left, top, right, bottom, radius):
    """How much of the pixel (x, y) lies inside the rounded rectangle, 0..1."""
    px, py = x + 0.5, y + 0.5
    cx = min(max(px, left + radius), right - radius)
    cy = min(max(py, top + radius), bottom - radius)
    distance = math.hypot(px - cx, py - cy) - radius
    return min(1.0, max(0.0, 0.5 - distance))


def plaque(pressed):
    """The button's plate on the black panel: raised when up, sunk with a warm rim when pressed."""
    out = Picture(BUTTON_WIDTH, BUTTON_HEIGHT)
    grain = noise(BUTTON_WIDTH, BUTTON_HEIGHT, 21, 0.7)
    for y in range(BUTTON_HEIGHT):
        for x in range(BUTTON_WIDTH):
            outer = rounded_rect_coverage(x, y, 0, 0, BUTTON_WIDTH, BUTTON_HEIGHT, 7)
            inner = rounded_rect_coverage(x, y, 1, 1, BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1, 6)
            t = y / (BUTTON_HEIGHT - 1)
            if pressed:
                light = 0.72 + 0.14 * t
            else:
                light = 1.14 - 0.3 * t
            light += 0.035 * grain[y * BUTTON_WIDTH + x]
            face_colour = [ch * light for ch in SLATE]
            # Bevel: light from the top left on a raised plate, from the bottom right on a sunk one.
            top_left = min(x - 1, y - 1)
            bottom_right = min(BUTTON_WIDTH - 2 - x, BUTTON_HEIGHT - 2 - y)
            if pressed:
                if top_left < 2:
                    face_colour = shade(face_colour, -0.45)
                elif bottom_right < 1:
                    face_colour = shade(face_colour, 0.25)
            else:
                if top_left < 1:
                    face_colour = shade(face_colour, 0.45)
                elif top_left < 2:
                    face_colour = shade(face_colour, 0.2)
                elif bottom_right < 2:
                    face_colour = shade(face_colour, -0.45)
            rim = PRESSED_RIM if pressed else GROUT
            colour = [f * inner + r * (1 - inner) for f, r in zip(face_colour, rim)]
            colour = [clamp(c * outer) for c in colour]
            out.put(x, y, (*colour, 255))
    return out


def icon(kind):
    """The character's first figure at button size, outlined like the stills, as RGBA."""
    figure = render_figure(kind, (0, 0), scale=0.66)
    colours = outline(figure)
    out = Picture(figure.width, figure.height)
    for y in range(figure.height):
        for x in range(figure.width):
            if colours[y][x] is not None:
                out.put(x, y, (*colours[y][x], 255))
    return out


def make_button(kind, pressed):
    picture = plaque(pressed)
    shift = 1 if pressed else 0
    blend_over(picture, icon(kind), 5 + shift, 1 + shift)
    name_x, baseline = 36 + shift, 19 + shift
    for dx, dy, colour in ((1, 1, LABEL_SHADOW), (0, 0, LABEL)):
        label = text(BUTTON_WIDTH, BUTTON_HEIGHT, kind.name, "DejaVuSansCondensed-Bold.ttf", 15,
                     colour, name_x + dx, baseline + dy)
        blend_over(picture, label, 0, 0)
    # One pip per cell, in the character's colour, so its length shows at a glance.
    pips = []
    for i in range(kind.cells):
        x = name_x + 1 + i * 10
        pips.append(f"roundrectangle {x},{25 + shift} {x + 7},{32 + shift} 2,2")
    pip_layer = draw(
        BUTTON_WIDTH, BUTTON_HEIGHT,
        f"fill '{hexcolour(kind.colour)}' stroke '{hexcolour(OUTLINE)}' stroke-width 1\n" + "\n".join(pips),
    )
    blend_over(picture, pip_layer, 0, 0)
    state = "down" if pressed else "up"
    save(f"images/buttons/{kind.file_name}_{state}.bmp", BUTTON_WIDTH, BUTTON_HEIGHT,
         opaque_rgb(picture), keyed=False)


# ---------------------------------------------------------------------------------------------
# Warning sound: a soft falling two-tone bleep


def make_bleep():
    rate = 22050
    tones = [(988.0, 0.085), (740.0, 0.115)]  # B5 then F#5
    fade = int(0.006 * rate)
    samples = []
    for frequency, duration in tones:
        count = int(duration * rate)
        for n in range(count):
            t = n / rate
            envelope = min(1.0, n / fade, (count - 1 - n) / fade) * math.exp(-3.0 * t)
            value = math.sin(2 * math.pi * frequency * t) + 0.18 * math.sin(4 * math.pi * frequency * t)
            samples.append(round(0.36 * 32767 * envelope * value / 1.18))
    path = GAME / "sounds/bleep14.wav"
    path.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(struct.pack(f"<{len(samples)}h", *samples))
    print("wrote game/sounds/bleep14.wav")


def main():
    make_board()
    make_grid_overlay()
    make_shaded_overlay()
    for kind in KINDS:
        for index in range(kind.cells):
            make_cell_still(kind, index)
        make_button(kind, pressed=False)
        make_button(kind, pressed=True)
    make_bleep()


if __name__ == "__main__":
    main()
