"""Playing the sample game by keys alone, the pointer outside the window: select, move, turn,
place, a blocked placement with its sign on screen, lift, and the end; the board the keys made
is then the board the same arrangement makes by mouse."""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_play import INKCAPS, PUFFBALLS, square_centre  # noqa: E402


BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def at(play, x, y, shot=None):
    return (shot or harness.screenshot()).pixel(play.x + x, play.y + y)


def picture(play):
    """The play screen below the frame-rate line, row by row."""
    shot = harness.screenshot()
    return b"".join(shot.data[3 * (shot.width * (play.y + y) + play.x):][:3 * 640]
                    for y in range(30, 480))


def still(play):
    """The picture once two looks in a row agree."""
    return harness.wait_until(lambda: (lambda a, b: a == b and a)(picture(play), picture(play)),
                              what="a still frame")


def chequered(play, column, row):
    """Whether the square is a chequer of black and white cells of 5 pixels."""
    left, top, shot = 17 + 43 * column, 35 + 43 * row, harness.screenshot()
    return all(at(play, left + 5 * i, top + 5 * j, shot) == (WHITE if (i + j) % 2 else BLACK)
               for i in range(8) for j in range(8))


class KeysTest(harness.TestCase):
    def open(self):
        game = self.start(args=["--windowed"])
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        harness.wait_until(lambda: at(play, *square_centre(0, 0)) != BLACK, what="the board")
        return game, play

    def end(self, game, play):
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_keys_alone_make_the_board_the_mouse_makes(self):
        # By mouse: the Inkcaps at (7, 2), the Puffballs turned and placed at (0, 2).
        game, play = self.open()
        for button, column, turn in ((INKCAPS, 7, False), (PUFFBALLS, 0, True)):
            game.click(play, 555, 280 + 40 * button)
            if turn:
                game.click(play, *square_centre(column, 2), button=3)
            game.click(play, *square_centre(column, 2))
        harness.run("xdotool", "mousemove", str(play.x + 460), str(play.y + 100))
        by_mouse = still(play)
        self.end(game, play)

        harness.run("xdotool", "mousemove", "1023", "767")
        game, play = self.open()
        # Tab selects the Morels, Shift+Tab the one before them, wrapping round: the Puffballs,
        # shown at the cursor, whose square is ringed black around white.
        game.key(play, "Tab", "shift+Tab")
        harness.wait_until(lambda: (at(play, 15, 50), at(play, 17, 50)) == (BLACK, WHITE),
                           what="the cursor's ring")
        game.key(play, *["Right", "KP_Right"] * 2, *["Down"] * 9, "space", "Return")
        # The Inkcaps over the Puffballs are refused: their squares chequered for a moment, then
        # the frame as before. Each Enter refuses again, should a look come too late.
        game.key(play, "4", "Right")
        before = still(play)
        harness.wait_until(lambda: game.key(play, "Return") or chequered(play, 5, 8),
                           what="the refused squares chequered")
        harness.wait_until(lambda: picture(play) == before, what="the frame as before")
        # Placed elsewhere with the keypad's Enter; the Puffballs lifted, moved, turned, placed.
        game.key(play, *["Up"] * 7, "Right", "KP_Right", "KP_Enter", "5", *["Left"] * 7, "r",
                 "Return")
        # The pointer's move over the window takes the marks away.
        harness.run("xdotool", "mousemove", str(play.x + 460), str(play.y + 100))
        harness.wait_until(lambda: picture(play) == by_mouse, what="the board the mouse made")
        self.end(game, play)


if __name__ == "__main__":
    harness.main()
