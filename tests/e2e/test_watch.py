"""Edit and see: the options that answer the dialog, and --watch reloading the game on a save
while a character stands on the board, a broken save shown over the play screen and mended;
the game folder deleted and made again, or replaced by a rename, is followed."""

import os
import pathlib
import shutil
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_content import sample_game_with, windows_made  # noqa: E402

STILL = "images/cells/puffball_1.bmp"
CELL_PACKAGE = "packages/cells/puffball_0.cel"
# The findings are written over the play screen white on dark red, from its top left.
OVERLAY_RED = (144, 0, 0)
EMPTY, LOWER = (37, 55), (17 + 43 * 4 + 20, 35 + 43 * 9 + 20)


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
        harness.wait_until(lambda: self.pixel(*EMPTY) != (0, 0, 0), what="the board")

        # The Puffballs placed on column 4, rows 8 and 9; then the lower cell's picture saved
        # inverted (renamed over the old one): on screen, on the same square.
        game.click(self.play, 555, 440)
        game.click(self.play, *LOWER)
        placed = harness.wait_until(lambda: self.pixel(*LOWER) != (0, 0, 0) and self.pixel(*LOWER),
                                    what="the character on the board")
        harness.run("xdotool", "mousemove", str(self.play.x + 600), str(self.play.y + 100))
        still = game.dir / STILL
        data = still.read_bytes()
        offset = int.from_bytes(data[10:14], "little")
        (game.dir / "new.bmp").write_bytes(data[:offset] + bytes(255 - b for b in data[offset:]))
        os.replace(game.dir / "new.bmp", still)
        harness.wait_until(lambda: self.pixel(*LOWER) != placed, what="the saved picture")

        # A missing cell package would stop the game: the last good one goes on, the findings
        # show over it and once on standard error.
        package = game.dir / CELL_PACKAGE
        kept = package.read_bytes()
        package.unlink()
        harness.wait_until(lambda: any(CELL_PACKAGE in line and ": error: " in line
                                       for line in game.stderr_lines()), what="the finding")
        harness.wait_until(self.findings_shown, what="the findings over the play screen")
        self.assertTrue(game.running())
        shown = self.pixel(*LOWER)
        lines = len(game.stderr_lines())

        # Mended: the findings go, the character still stands there.
        package.write_bytes(kept)
        harness.wait_until(lambda: not self.findings_shown(), what="the findings to go")
        self.assertEqual(self.pixel(*LOWER), shown)
        self.assertEqual(game.stderr_lines()[lines:],
                         ["Tarnwick: reloaded: the problems are mended"])

        game.key(self.play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_a_save_of_a_windows_made_game_leaves_the_board_clear(self):
        game = self.start(sample_game_with(windows_made), args=["--windowed", "--fps", "30",
                                                                "--watch"])
        self.play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        board = harness.wait_until(lambda: self.pixel(*EMPTY) != (0, 0, 0) and self.pixel(*EMPTY),
                                   what="the board")
        os.utime(game.dir / CELL_PACKAGE)
        harness.wait_until(lambda: any(": note: " in line for line in game.stderr_lines()),
                           what="the reload's one note")
        self.assertFalse(self.findings_shown())
        self.assertEqual(self.pixel(*EMPTY), board)
        self.assertEqual(len(game.stderr_lines()), 1, game.stderr_lines())
        game.key(self.play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_the_folder_made_again_is_followed(self):
        def moved_away(folder):
            os.rename(folder, folder.with_name("game.old"))
            shutil.copytree(harness.GAME_DIR, folder.with_name("new"))
            os.rename(folder.with_name("new"), folder)

        for replace in (lambda folder: (shutil.rmtree(folder),
                                        shutil.copytree(harness.GAME_DIR, folder)),
                        moved_away):
            with self.subTest(replace=replace):
                game = self.start(args=["--windowed", "--fps", "30", "--watch"])
                self.play = game.wait_window(harness.PLAY_TITLE, kind="normal")
                harness.wait_until(lambda: self.pixel(*EMPTY) != (0, 0, 0), what="the board")
                replace(game.dir)
                # The next save that breaks the game is seen in the new folder, and so is its
                # mending.
                package = game.dir / CELL_PACKAGE
                kept = package.read_bytes()
                package.unlink()
                harness.wait_until(lambda: any(CELL_PACKAGE in line and ": error: " in line
                                               for line in game.stderr_lines()),
                                   what="the finding")
                package.write_bytes(kept)
                harness.wait_until(lambda: game.stderr_lines()[-1] ==
                                   "Tarnwick: reloaded: the problems are mended",
                                   what="the mended game")
                harness.wait_until(lambda: not self.findings_shown(), what="the findings to go")
                game.key(self.play, "F12")
                self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
