"""The sample game played by keys alone with the pointer outside the window: select, move,
turn, place, a refused placement with its sign, lift, end; the board the keys made is then the
one the same arrangement makes by mouse."""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_play import INKCAPS, PUFFBALLS, square_centre  # noqa: E402

BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def at(play, x, y, shot=None):
    return (shot or harness.screenshot()).pixel(play.x + x, play.y + y)


def picture(play):
    """The play screen below the frame-rate line, once two looks in a row agree."""
    def look():
        shot = harness.screenshot()
        rows = (3 * (shot.width * (play.y + y) + play.x) for y in range(30, 480))
        return b"".join(shot.data[row:row + 3 * 640] for row in rows)
    return harness.wait_until(lambda: (lambda a: a == look() and a)(look()), what="a still frame")


def chequered(play, column, row):
    left, top, shot = 17 + 43 * column, 35 + 43 * row, harness.screenshot()
    return all(at(play, left + 5 * i, top + 5 * j, shot) == (WHITE if (i + j) % 2 else BLACK)
               for i in range(8) for j in range(8))


class KeysTest(harness.TestCase):
    def play(self, by):
        harness.run("xdotool", "mousemove", "1023", "767")
        game = self.start(args=["--windowed"])
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        harness.wait_until(lambda: at(play, *square_centre(0, 0)) != BLACK, what="the board")
        by(game, play)
        # A pointer move over the window takes the keys' marks away.
        harness.run("xdotool", "mousemove", str(play.x + 460), str(play.y + 100))
        shown = picture(play)
        game.key(play, "F12")
        self.assertEqual((game.wait_exit(), game.messages()), (0, []))
        return shown

    def by_mouse(self, game, play):
        for button, column, clicks in ((INKCAPS, 7, [1]), (PUFFBALLS, 0, [3, 1])):
            game.click(play, 555, 280 + 40 * button)
            for click in clicks:
                game.click(play, *square_centre(column, 2), button=click)

    def by_keys(self, game, play):
        # Tab selects the Morels, Shift+Tab the one before them round the panel, the Puffballs,
        # shown at the cursor, whose square is ringed black around white.
        game.key(play, "Tab", "shift+Tab")
        harness.wait_until(lambda: (at(play, 15, 50), at(play, 17, 50)) == (BLACK, WHITE),
                           what="the cursor's ring")
        game.key(play, *["Right", "KP_Right"] * 2, *["Down"] * 9, "space", "Return", "4", "Right")
        # The Inkcaps over the Puffballs are refused: their squares are chequered a moment, then
        # the frame is as before. Each Enter refuses again, should a look come too late.
        before = picture(play)
        harness.wait_until(lambda: game.key(play, "Return") or chequered(play, 5, 8),
                           what="the refused squares chequered")
        harness.wait_until(lambda: picture(play) == before, what="the frame as before")
        game.key(play, *["Up"] * 7, "Right", "KP_Right", "KP_Enter", "5", *["Left"] * 7, "r",
                 "Return")

    def test_keys_alone_make_the_board_the_mouse_makes(self):
        self.assertTrue(self.play(self.by_keys) == self.play(self.by_mouse), "the boards differ")


if __name__ == "__main__":
    harness.main()
