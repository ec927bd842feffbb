"""Edit and see: the options that answer the dialog, and --watch reloading the game on a save
while a character stands on the board, a broken save shown over the play screen and mended."""

import os
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

PUFFBALLS = 4
STILL = "images/cells/puffball_1.bmp"
CELL_PACKAGE = "packages/cells/puffball_0.cel"
# The findings are written over the play screen white on dark red, from its top left.
OVERLAY_RED = (144, 0, 0)


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


def inverted(bitmap):
    offset = int.from_bytes(bitmap[10:14], "little")
    return bitmap[:offset] + bytes(255 - b for b in bitmap[offset:])


def save(path, data):
    """A new file renamed over the old one, as most editors save."""
    temporary = path.with_name("." + path.name + ".new")
    temporary.write_bytes(data)
    os.replace(temporary, path)


class WatchTest(harness.TestCase):
    def pixel(self, x, y):
        return harness.screenshot().pixel(self.play.x + x, self.play.y + y)

    def findings_shown(self):
        shot = harness.screenshot()
        return any(shot.pixel(self.play.x + x, self.play.y + 30) == OVERLAY_RED
                   for x in range(4, 80))

    def test_saves_are_on_screen_and_broken_ones_explained(self):
        game = self.start(args=["--windowed", "--fps", "30", "--watch"])
        self.play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertEqual(game.windows(harness.CONFIG_TITLE), [])
        empty = square_centre(0, 0)
        harness.wait_until(lambda: self.pixel(*empty) != (0, 0, 0), what="the board")

        # The Puffballs stand on column 4, rows 8 and 9.
        game.click(self.play, 555, 280 + 40 * PUFFBALLS)
        harness.run("xdotool", "mousemove", *map(str, (self.play.x + square_centre(4, 9)[0],
                                                       self.play.y + square_centre(4, 9)[1])))
        game.click(self.play, *square_centre(4, 9))
        lower = square_centre(4, 9)
        placed = harness.wait_until(lambda: self.pixel(*lower) != (0, 0, 0) and self.pixel(*lower),
                                    what="the character on the board")
        harness.run("xdotool", "mousemove", str(self.play.x + 600), str(self.play.y + 100))
        before_empty = self.pixel(*empty)

        # The lower cell's picture saved inverted: on screen, on the same square.
        still = game.dir / STILL
        original = still.read_bytes()
        save(still, inverted(original))
        harness.wait_until(lambda: self.pixel(*lower) != placed, what="the saved picture")
        self.assertEqual(self.pixel(*empty), before_empty)

        # A missing cell package stops the game as saved: the last good game goes on, the
        # findings show over it and once on standard error.
        package = game.dir / CELL_PACKAGE
        kept = package.read_bytes()
        package.unlink()
        harness.wait_until(lambda: any(CELL_PACKAGE in line and ": error: " in line
                                       for line in game.stderr_lines()), what="the finding")
        harness.wait_until(self.findings_shown, what="the findings over the play screen")
        self.assertTrue(game.running())
        shown = self.pixel(*lower)
        self.assertNotEqual(shown, (0, 0, 0))
        lines = len(game.stderr_lines())

        # Mended: the findings go, the character still stands there.
        package.write_bytes(kept)
        harness.wait_until(lambda: not self.findings_shown(), what="the findings to go")
        self.assertEqual(self.pixel(*lower), shown)
        self.assertIn("Tarnwick: reloaded: the problems are mended", game.stderr_lines()[lines:])
        self.assertFalse(any("error" in line for line in game.stderr_lines()[lines:]))

        game.key(self.play, "F12")
        self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
