"""The play screen on a real X display, windowed and full screen at each colour depth: a known
picture appears at the right place and scale, and the pointer maps back to play-screen pixels."""

import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402

PLAY = (640, 480)
# The board background's four quadrants, each 216x216, drawn at (15, 33); the low bits of each
# channel are set so that 16-bit 5-6-5 pixels visibly differ from the picture.
QUADRANTS = {(0, 0): (0x23, 0x67, 0xA5), (1, 0): (0xC7, 0x35, 0x1B),
             (0, 1): (0x1D, 0x9B, 0x4F), (1, 1): (0xE5, 0xD3, 0x3D)}
BUTTON_UP = (0x5B, 0x5D, 0x6F)
BUTTON_DOWN = (0xF3, 0x8B, 0x27)
STILL = (0xB9, 0x2D, 0xDD)
GREEN = "#00FF00"


def hex_colour(rgb):
    return "#%02X%02X%02X" % rgb


def convert(*args):
    subprocess.run(["/usr/bin/convert", *args], check=True, timeout=30)


def make_pattern_game(folder):
    """A one-character game whose pictures are flat, known colours."""
    (folder / "images").mkdir()
    (folder / "packages").mkdir()
    quadrant = [f"xc:{hex_colour(QUADRANTS[key])}" for key in ((0, 0), (1, 0), (0, 1), (1, 1))]
    convert("-size", "216x216", quadrant[0], quadrant[1], "+append", "(", "-size", "216x216",
            quadrant[2], quadrant[3], "+append", ")", "-append", "-type", "TrueColor",
            f"BMP3:{folder / 'images/board.bmp'}")
    for name in ("GridOverlay", "ShadedOverlay"):
        convert("-size", "432x432", f"xc:{GREEN}", "-type", "TrueColor",
                f"BMP3:{folder / 'images' / name}.bmp")
    convert("-size", "150x40", f"xc:{hex_colour(BUTTON_UP)}", "-type", "TrueColor",
            f"BMP3:{folder / 'images/up.bmp'}")
    convert("-size", "150x40", f"xc:{hex_colour(BUTTON_DOWN)}", "-type", "TrueColor",
            f"BMP3:{folder / 'images/down.bmp'}")
    convert("-size", "41x60", f"xc:{hex_colour(STILL)}", "-type", "TrueColor",
            f"BMP3:{folder / 'images/still.bmp'}")
    (folder / "packages/pattern.pkg").write_text(
        "[HEADER]\nNAME=Pattern\nDESCRIPTION=Known colours\nCHARACTERS=1\n"
        "BACKGROUND=images/board.bmp\n[CHARACTER 0]\nButton_Up=images/up.bmp\n"
        "Button_Down=images/down.bmp\nPackage=packages/one.chr\n")
    (folder / "packages/morrels.pkg").write_text(
        (folder / "packages/pattern.pkg").read_text())
    (folder / "packages/one.chr").write_text("[HEADER]\nCELLS=1\n[CELL 0]\n"
                                             "PACKAGE=packages/one.cel\n")
    (folder / "packages/one.cel").write_text("[HEADER]\nSTILL=images/still.bmp\n")


def on_screen(rgb, depth):
    """A colour as the display shows it at a colour depth (16-bit keeps 5-6-5 bits; widening
    them back to 8 bits may differ by one between SDL's conversion paths)."""
    if depth != 16:
        return rgb
    red, green, blue = rgb[0] >> 3, rgb[1] >> 2, rgb[2] >> 3
    return (red * 255 // 31, green * 255 // 63, blue * 255 // 31)


class PlayArea:
    """Where the 640x480 play screen stands on the X screen, and its scale."""

    def __init__(self, left, top, width, height):
        self.left, self.top, self.width, self.height = left, top, width, height

    @classmethod
    def fitted(cls, screen_width, screen_height):
        if screen_width * PLAY[1] <= screen_height * PLAY[0]:
            width, height = screen_width, screen_width * PLAY[1] // PLAY[0]
        else:
            width, height = screen_height * PLAY[0] // PLAY[1], screen_height
        return cls((screen_width - width) // 2, (screen_height - height) // 2, width, height)

    def to_screen(self, x, y):
        """The first screen pixel that maps to play-screen pixel (x, y)."""
        return (self.left + -(-x * self.width // PLAY[0]),
                self.top + -(-y * self.height // PLAY[1]))


class DisplayTest(harness.TestCase):
    def open_play_screen(self, depth, full_screen):
        game = self.start(make_pattern_game)
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.click(dialog, *dialog_layout.RADIOS[str(depth)])
        if full_screen:
            game.click(dialog, *dialog_layout.FULL_SCREEN)
        game.click(dialog, *dialog_layout.START)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        if full_screen:
            harness.wait_until(
                lambda: any((w.x, w.y, w.width, w.height) == (0, 0) + self.screen_size()
                            for w in game.windows(harness.PLAY_TITLE, "normal")),
                what="the play window to fill the screen")
            play = game.windows(harness.PLAY_TITLE, "normal")[0]
            area = PlayArea.fitted(*self.screen_size())
        else:
            area = PlayArea(play.x, play.y, *PLAY)
        return game, play, area

    @staticmethod
    def screen_size():
        geometry = harness.run("xdotool", "getdisplaygeometry").split()
        return int(geometry[0]), int(geometry[1])

    def pixel(self, area, x, y):
        sx, sy = area.to_screen(x, y)
        return harness.screenshot().pixel(sx, sy)

    def shows(self, area, x, y, rgb):
        tolerance = 1 if self.depth == 16 else 0
        return all(abs(a - b) <= tolerance for a, b in zip(self.pixel(area, x, y), rgb))

    def wait_pixel(self, area, x, y, rgb, what):
        harness.wait_until(lambda: self.shows(area, x, y, rgb), what=what)

    def move(self, area, x, y):
        sx, sy = area.to_screen(x, y)
        harness.run("xdotool", "mousemove", str(sx), str(sy))

    def check_play_screen(self, depth, full_screen):
        # The depth sets the full-screen mode; a window shows everything in the desktop's format.
        shown = depth if full_screen else 24
        self.depth = shown
        game, play, area = self.open_play_screen(depth, full_screen)
        # The background's quadrants, each at the middle of its place on the board.
        for (column, row), rgb in QUADRANTS.items():
            self.wait_pixel(area, 15 + 108 + 216 * column, 33 + 108 + 216 * row,
                            on_screen(rgb, shown), f"quadrant {column},{row}")
        if depth == 16:
            seen = self.pixel(area, 15 + 108, 33 + 108)
            difference = max(abs(a - b) for a, b in zip(seen, QUADRANTS[(0, 0)]))
            if full_screen:
                self.assertGreater(difference, 1, "16 bits show the picture with 5-6-5 pixels")
            else:
                self.assertEqual(difference, 0, "a window shows the picture in full colour")
        # Outside the board and the panel the screen stays black.
        self.assertEqual(self.pixel(area, 460, 100), (0, 0, 0))
        if full_screen and area.top > 0:
            self.assertEqual(harness.screenshot().pixel(area.left + 10, area.top - 1), (0, 0, 0))

        # The button shows its down picture while the left button is held on it.
        self.wait_pixel(area, 555, 280, on_screen(BUTTON_UP, shown), "the button up")
        self.move(area, 555, 280)
        harness.run("xdotool", "mousedown", "1")
        self.wait_pixel(area, 555, 280, on_screen(BUTTON_DOWN, shown), "the button down")
        harness.run("xdotool", "mouseup", "1")
        self.wait_pixel(area, 555, 280, on_screen(BUTTON_UP, shown), "the button up again")

        # The selected character follows the pointer: its still picture stands on the square
        # under the pointer, from the square's left edge and 19 pixels above its top.
        self.move(area, 17 + 43 + 20, 35 + 20)
        self.wait_pixel(area, 60 + 20, 35 + 10, on_screen(STILL, shown), "preview on (1, 0)")
        # The top-left pixel of the first square is play-screen pixel (17, 35) ...
        self.move(area, 17, 35)
        self.wait_pixel(area, 17 + 20, 35 + 10, on_screen(STILL, shown), "preview on (0, 0)")
        self.assertTrue(self.shows(area, 60 + 20, 35 + 30, on_screen(QUADRANTS[(0, 0)], shown)))
        # ... and the pixel left of it is off the board, so the preview stays.
        self.move(area, 16, 36)
        self.move(area, 17 + 43 + 20, 34)
        self.assertTrue(game.stays(play, 0.3))
        self.assertTrue(self.shows(area, 17 + 20, 35 + 10, on_screen(STILL, shown)))
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_windowed_16(self):
        self.check_play_screen(16, False)

    def test_windowed_24(self):
        self.check_play_screen(24, False)

    def test_windowed_32(self):
        self.check_play_screen(32, False)

    def test_full_screen_16(self):
        self.check_play_screen(16, True)

    def test_full_screen_24(self):
        self.check_play_screen(24, True)

    def test_full_screen_32(self):
        self.check_play_screen(32, True)


if __name__ == "__main__":
    harness.main()
