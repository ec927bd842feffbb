"""Native Wayland, with only a nested weston's display (no X display): the dialog, then the play
screen windowed (also at output scale 2) and full screen, a placement by mouse, F12; weston
going away during play ends the program."""

import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_display as display  # noqa: E402

# The theme's dialog background: a long run of it on weston's output is the dialog.
DIALOG_BACKGROUND = (246, 245, 244)


def click(x, y):
    """A click at a screen pixel, once weston has seen the pointer arrive there: it reads the
    X pointer from its window's events, and a click before them lands where the pointer was."""
    harness.run("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.3)
    harness.run("xdotool", "click", "1")


class WaylandTest(harness.TestCase):
    def play(self, full_screen, scale=1):
        if scale > 1:
            self.private_display("1600x1300x24")
        env, output = self.nested_wayland(*((700, 560) if scale > 1 else (800, 600)), scale=scale)
        # The Wayland libraries (libwayland, libdecor, Mesa's EGL drivers, unloaded and so
        # nameless by the time of the check) keep allocations for the life of the process; the
        # program's own leaks are checked by every test on X11.
        env["LSAN_OPTIONS"] = "detect_leaks=0"
        game = self.start(display.make_pattern_game, env=env)
        harness.wait_until(lambda: game.running() and harness.find(harness.screenshot(),
                                                                   [DIALOG_BACKGROUND] * 200),
                           what="the dialog on weston's output")
        # Start has the focus; Tab and the arrow keys check 32 bits and Full Screen.
        game.key(output, *(["Tab", "Tab", "Down", "Tab", "Down", "Tab"] if full_screen else []),
                 "Return")

        quadrant = display.QUADRANTS[(0, 0)]
        if full_screen:
            area = display.PlayArea(output.x, output.y, output.width, output.height)
        else:
            # Found twice in a row, once weston's opening animation is over.
            x, y = harness.settled(lambda: harness.find(harness.screenshot(), [quadrant] * 20),
                                   "the play screen")
            area = display.PlayArea(x - 15 * scale, y - 33 * scale, 640 * scale, 480 * scale)

        def shows(x, y, rgb):
            return harness.screenshot().pixel(*area.to_screen(x, y)) == rgb

        harness.wait_until(lambda: shows(15 + 108, 33 + 108, quadrant), what="the board")
        harness.wait_until(lambda: shows(15 + 324, 33 + 324, display.QUADRANTS[(1, 1)]),
                           what="the board's far quadrant")
        # Windowed, quadrants meet sharply where they should: 216 play pixels wide at any scale.
        if not full_screen:
            self.assertEqual((shows(15 + 215, 33, quadrant), shows(15 + 216, 33, quadrant)),
                             (True, False))
        # The character's button, then square (4, 5): its still picture stands there.
        for x, y in ((555, 280), (17 + 43 * 4 + 20, 35 + 43 * 5 + 20)):
            click(*area.to_screen(x, y))
        harness.wait_until(lambda: shows(17 + 43 * 4 + 20, 35 + 43 * 5 + 10, display.STILL),
                           what="the character placed on square (4, 5)")
        # A click off the board and the panel gives weston, and in it the play window, the keys.
        click(*area.to_screen(460, 100))
        harness.run("xdotool", "key", "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_the_compositor_going_away_ends_the_program(self):
        for mode in ("--fullscreen", "--windowed"):
            with self.subTest(mode=mode):
                env, _ = self.nested_wayland()
                env["LSAN_OPTIONS"] = "detect_leaks=0"
                game = self.start(display.make_pattern_game, env=env, args=[mode, "--depth", "32"])
                harness.wait_until(lambda: game.running() and harness.find(
                    harness.screenshot(), [display.QUADRANTS[(0, 0)]] * 20), what="the board")
                self.compositor.kill()
                self.assertEqual(game.wait_exit(5), 1)
                self.assertEqual(game.said(), ["the Wayland compositor went away; the game ends"])

    def test_windowed(self):
        self.play(full_screen=False)

    def test_full_screen(self):
        self.play(full_screen=True)

    def test_windowed_on_an_output_of_scale_2(self):
        self.play(full_screen=False, scale=2)


if __name__ == "__main__":
    harness.main()
