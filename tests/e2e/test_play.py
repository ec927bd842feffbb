"""Playing the sample game with the mouse: select, preview, turn, place, a blocked placement
with its warning sound, and lifting a placed character."""

import array
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

# Panel buttons of the sample game, top to bottom.
MORELS, TOADSTOOLS, CHANTERELLES, INKCAPS, PUFFBALLS = range(5)
SOUND_FILE = "played.raw"


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


class PlayTest(harness.TestCase):
    def setUp(self):
        # SDL's disk audio driver writes what the program plays to a file the test can read.
        self.game = self.start(env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": SOUND_FILE})
        dialog = self.game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        self.game.key(dialog, "Return")
        self.play = self.game.wait_window(harness.PLAY_TITLE, kind="normal")
        # The window opened in answer to Start takes the focus itself.
        self.game.wait_focused(self.play)
        harness.wait_until(lambda: self.board_drawn(), what="the board to be drawn")
        self.empty = harness.screenshot()

    def board_drawn(self):
        x, y = square_centre(0, 0)
        return harness.screenshot().pixel(self.play.x + x, self.play.y + y) != (0, 0, 0)

    def changed_pixels(self, column, row, shot=None):
        """How many pixels of a square differ from the empty board."""
        shot = shot or harness.screenshot()
        left, top = self.play.x + 17 + 43 * column, self.play.y + 35 + 43 * row
        return sum(shot.pixel(x, y) != self.empty.pixel(x, y)
                   for x in range(left + 4, left + 37, 3) for y in range(top + 4, top + 37, 3))

    def occupied(self, *squares):
        """Waits until exactly these squares (of the given ones and their neighbours) show a
        figure."""
        wanted = set(squares)
        area = {(c, r) for c in range(10) for r in range(10)}

        def matches():
            shot = harness.screenshot()
            shown = {square for square in area if self.changed_pixels(*square, shot) > 20}
            return shown == wanted or None
        harness.wait_until(matches, what=f"figures on exactly {sorted(wanted)}")

    def select(self, button):
        self.game.click(self.play, 555, 280 + 40 * button)

    def move(self, column, row):
        x, y = square_centre(column, row)
        harness.run("xdotool", "mousemove", str(self.play.x + x), str(self.play.y + y))

    def click(self, column, row, button=1):
        self.game.click(self.play, *square_centre(column, row), button=button)

    def sound_played(self):
        samples = array.array("h", (self.game.dir / SOUND_FILE).read_bytes()
                              if (self.game.dir / SOUND_FILE).exists() else b"")
        return any(abs(sample) > 1000 for sample in samples)

    def test_a_round_of_setting_up(self):
        game = self.game
        # Selecting shows nothing until the pointer is over the board; the preview follows it
        # and is kept on the board.
        self.select(PUFFBALLS)
        self.occupied()
        self.move(4, 9)
        self.occupied((4, 8), (4, 9))
        # A right release turns it; a left release places it.
        self.click(4, 9, button=3)
        self.occupied((4, 9), (5, 9))
        self.click(4, 9)
        self.occupied((4, 9), (5, 9))

        # The Inkcaps cannot stand over the placed Puffballs: the warning sounds and nothing
        # changes; they stay selected and can go elsewhere.
        self.select(INKCAPS)
        self.move(5, 9)
        self.occupied((4, 9), (5, 7), (5, 8), (5, 9))
        self.assertFalse(self.sound_played())
        self.click(5, 9)
        harness.wait_until(self.sound_played, what="the warning sound")
        self.occupied((4, 9), (5, 7), (5, 8), (5, 9))
        self.click(7, 2)
        self.occupied((4, 9), (5, 9), (7, 2), (7, 3), (7, 4))

        # Selecting the placed Puffballs lifts them; the Inkcaps then fit where they stood.
        self.select(PUFFBALLS)
        self.occupied((7, 2), (7, 3), (7, 4))
        self.select(INKCAPS)
        self.occupied()
        self.move(5, 9)
        self.click(5, 9)
        self.occupied((5, 7), (5, 8), (5, 9))
        self.assertEqual(game.messages(), [])
        game.key(self.play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_a_press_released_outside_the_window_lets_the_button_up(self):
        game, play = self.game, self.play
        x, y = play.x + 555, play.y + 280 + 40 * MORELS
        up = harness.screenshot().pixel(x, y)
        harness.run("xdotool", "mousemove", str(x), str(y), "mousedown", "1")
        harness.wait_until(lambda: harness.screenshot().pixel(x, y) != up, what="the button down")
        # Released beyond the window's right edge: the button comes up and nothing is selected.
        harness.run("xdotool", "mousemove", str(play.x + play.width + 40), str(y), "mouseup", "1")
        harness.wait_until(lambda: harness.screenshot().pixel(x, y) == up, what="the button up")
        self.move(3, 3)
        self.occupied()
        # The same in one go, so that the release is queued before the press is read: the
        # button comes up and the window still follows the pointer afterwards.
        harness.run("xdotool", "mousemove", str(x), str(y), "mousedown", "1", "mousemove",
                    str(play.x + play.width + 40), str(y), "mouseup", "1")
        harness.wait_until(lambda: harness.screenshot().pixel(x, y) == up, what="the button up")
        self.select(PUFFBALLS)
        self.move(6, 6)
        self.occupied((6, 6), (6, 7))
        self.select(PUFFBALLS)
        self.occupied()
        # Moves and clicks outside the window with no button held reach nothing.
        harness.run("xdotool", "mousemove", str(play.x + play.width + 40), str(y), "click", "1")
        # With another program in front, the click that activates the window again selects.
        other = harness.OtherWindow(f"+{play.x + play.width + 20}+{play.y}")
        self.addCleanup(other.close)
        other.activate()
        self.select(TOADSTOOLS)
        self.move(3, 3)
        self.occupied((3, 3), (3, 4), (3, 5), (3, 6))
        self.assertEqual(harness.screenshot().pixel(x, y), up)
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
