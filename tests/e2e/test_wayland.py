"""Native Wayland: the program given only a nested weston's Wayland display (no X display)
shows the dialog, then the play screen windowed and full screen, places a character by mouse
and ends with F12."""

import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402
import test_display as display  # noqa: E402

# A row of the dialog's logo, found on the screen to know where the dialog stands; the logo
# is drawn at dialog pixel (2, 2).
LOGO_ROW = 26


def logo_row():
    data = subprocess.run(["convert", str(harness.REPO / "app/logo.png"), "-depth", "8",
                           "rgb:-"], capture_output=True, timeout=10, check=True).stdout
    width = 313
    row = data[LOGO_ROW * width * 3:(LOGO_ROW + 1) * width * 3]
    return [tuple(row[i:i + 3]) for i in range(0, len(row), 3)]


def settled(locate, what):
    """Where a window is found twice in a row, once weston's opening animation is over."""
    last = [None]

    def same_again():
        found, last[0] = last[0], locate()
        time.sleep(0.1)
        return found if found and found == last[0] else None

    return harness.wait_until(same_again, what=what)


def click(x, y):
    """A click at a screen pixel, once weston has seen the pointer arrive there: it reads the
    X pointer from its window's events, and a click before them lands where the pointer was."""
    harness.run("xdotool", "mousemove", str(x), str(y))
    time.sleep(0.3)
    harness.run("xdotool", "click", "1")


class WaylandTest(harness.TestCase):
    def play(self, full_screen):
        env, output = self.nested_wayland()
        # The Wayland libraries (libwayland, libdecor, Mesa's EGL drivers, unloaded and so
        # nameless by the time of the check) keep allocations for the life of the process; the
        # program's own leaks are checked by every test on X11.
        env["LSAN_OPTIONS"] = "detect_leaks=0"
        game = self.start(display.make_pattern_game, env=env)
        logo = logo_row()
        x, y = settled(lambda: game.running() and harness.find(harness.screenshot(), logo),
                       "the dialog on weston's output")
        left, top = x - 2, y - 2 - LOGO_ROW
        controls = [dialog_layout.RADIOS["32"], dialog_layout.FULL_SCREEN] if full_screen else []
        for x, y in controls + [dialog_layout.START]:
            click(left + x, top + y)

        quadrant = display.QUADRANTS[(0, 0)]
        if full_screen:
            area = display.PlayArea(output.x, output.y, output.width, output.height)
        else:
            x, y = settled(lambda: harness.find(harness.screenshot(), [quadrant] * 20),
                           "the play screen")
            area = display.PlayArea(x - 15, y - 33, *display.PLAY)

        def shows(x, y, rgb):
            return harness.screenshot().pixel(*area.to_screen(x, y)) == rgb

        harness.wait_until(lambda: shows(15 + 108, 33 + 108, quadrant), what="the board")
        harness.wait_until(lambda: shows(15 + 324, 33 + 324, display.QUADRANTS[(1, 1)]),
                           what="the board's far quadrant")
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

    def test_the_outputs_scale_draws_each_pixel_as_a_sharp_block(self):
        self.private_display("1600x1300x24")
        env, output = self.nested_wayland(700, 560, scale=2)
        env["LSAN_OPTIONS"] = "detect_leaks=0"
        game = self.start(display.make_pattern_game, env=env)
        # The dialog, drawn at twice its size, by a long run of its background colour.
        harness.wait_until(lambda: game.running() and harness.find(harness.screenshot(),
                                                                   [(246, 245, 244)] * 500),
                           what="the dialog")
        game.key(output, "Return")
        # The board's first quadrant is 216 play pixels wide: 432 screen pixels, then the next.
        quadrants = [display.QUADRANTS[(0, 0)]] * 432 + [display.QUADRANTS[(1, 0)]]
        harness.wait_until(lambda: harness.find(harness.screenshot(), quadrants),
                           what="the board at twice its size")
        game.key(output, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_windowed(self):
        self.play(full_screen=False)

    def test_full_screen(self):
        self.play(full_screen=True)


if __name__ == "__main__":
    harness.main()
