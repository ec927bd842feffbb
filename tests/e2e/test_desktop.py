"""What a real desktop does to the play window: the window manager's close request, the focus
taken away and given back, another window over it, a change of resolution in full screen, the
X server going away, no audio, and a window the display refuses."""

import os
import pathlib
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402
import test_display as pattern  # noqa: E402

PUFFBALLS, INKCAPS = 4, 3


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class DesktopTest(harness.TestCase):
    def open_play(self, full_screen=False, depth="16", workdir="game", env=None):
        game = self.start(workdir, env)
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.click(dialog, *dialog_layout.RADIOS[depth])
        if full_screen:
            game.click(dialog, *dialog_layout.FULL_SCREEN)
        game.click(dialog, *dialog_layout.START)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        return game, play

    def other_window(self, geometry):
        window = harness.OtherWindow(geometry)
        self.addCleanup(window.close)
        return window

    @staticmethod
    def board(play):
        """Every third pixel of the board as the screen shows it."""
        shot = harness.screenshot()
        return [shot.pixel(play.x + x, play.y + y)
                for x in range(17, 447, 3) for y in range(35, 465, 3)]

    def wait_drawn(self, play):
        x, y = square_centre(0, 0)
        harness.wait_until(
            lambda: harness.screenshot().pixel(play.x + x, play.y + y) != (0, 0, 0),
            what="the board to be drawn")

    def move(self, play, column, row):
        x, y = square_centre(column, row)
        harness.run("xdotool", "mousemove", str(play.x + x), str(play.y + y))

    def test_close_request_ends_the_game_in_both_modes(self):
        # The window manager sends the same request for a title bar's close button (as wmctrl
        # asks it to) and for Alt+F4.
        for how, full_screen, close in (
                ("close button", False, lambda game, play: game.close_box(play)),
                ("close request", True, lambda game, play: game.close_box(play)),
                ("Alt+F4", True, lambda game, play: game.key(play, "alt+F4"))):
            with self.subTest(how, full_screen=full_screen):
                game, play = self.open_play(full_screen)
                self.wait_drawn(play)
                close(game, play)
                self.assertEqual(game.wait_exit(), 0)
                self.assertEqual(game.messages(), [])

    def test_focus_taken_away_pauses_drawing_and_given_back_resumes_it(self):
        game, play = self.open_play()
        self.wait_drawn(play)
        pid = game.process.pid
        game.click(play, 555, 280 + 40 * PUFFBALLS)
        self.move(play, 1, 1)
        time.sleep(0.5)
        start = cpu_seconds(pid)
        time.sleep(2)
        active_rate = (cpu_seconds(pid) - start) / 2

        other = self.other_window("+740+600")
        other.activate()
        time.sleep(0.3)
        shown = self.board(play)
        start = cpu_seconds(pid)
        # The preview follows the pointer in the engine, but nothing is drawn meanwhile.
        self.move(play, 6, 6)
        time.sleep(3)
        self.assertLess(cpu_seconds(pid) - start, 0.1 * 3 * active_rate + 0.05)
        self.assertEqual(self.board(play), shown)

        start, resumed = cpu_seconds(pid), time.monotonic()
        game.activate(play)
        harness.wait_until(lambda: self.board(play) != shown, 2, "drawing to resume")
        # The frame loop does not make up the frames it did not draw: the first 1.5 s after the
        # pause cost no more than twice as long a stretch of play, where a burst of the three
        # seconds' frames would cost three times as much.
        time.sleep(max(0.0, resumed + 1.5 - time.monotonic()))
        self.assertLess(cpu_seconds(pid) - start, 3 * active_rate + 0.05)
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_covered_window_is_drawn_again_when_uncovered(self):
        game, play = self.open_play()
        self.wait_drawn(play)
        shown = harness.settled(lambda: self.board(play), "the board to settle")
        # Kept above the play window, which has the focus again and so keeps drawing.
        other = self.other_window(f"300x200+{play.x + 80}+{play.y + 80}")
        harness.run("wmctrl", "-i", "-r", other.id, "-b", "add,above")
        game.activate(play)
        harness.wait_until(lambda: self.board(play) != shown, what="the board to be covered")
        other.close()
        harness.wait_until(lambda: self.board(play) == shown, 3, "the board to be drawn again")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_resolution_change_in_full_screen_keeps_the_play_screen_fitted(self):
        original = harness.run("xdotool", "getdisplaygeometry").split()
        # A wider screen than the play screen: black bars left and right of it.
        harness.run("xrandr", "--newmode", "1024x600_desktop", "49.00", "1024", "1064", "1168",
                    "1312", "600", "603", "613", "624", "-hsync", "+vsync")
        harness.run("xrandr", "--addmode", "screen", "1024x600_desktop")
        self.addCleanup(harness.run, "xrandr", "--output", "screen", "--mode",
                        "x".join(original))
        game, play = self.open_play(True, "32", pattern.make_pattern_game)
        for mode, size in (("1024x600_desktop", (1024, 600)), ("x".join(original),
                                                             tuple(map(int, original)))):
            with self.subTest(size=size):
                harness.run("xrandr", "--output", "screen", "--mode", mode)
                harness.wait_until(
                    lambda: any((w.x, w.y, w.width, w.height) == (0, 0) + size
                                for w in game.windows(harness.PLAY_TITLE, "normal")),
                    what=f"the play window to fill the {size} screen")
                area = pattern.PlayArea.fitted(*size)

                def shows(x, y, rgb):
                    return harness.screenshot().pixel(*area.to_screen(x, y)) == rgb
                for (column, row), rgb in pattern.QUADRANTS.items():
                    harness.wait_until(lambda: shows(15 + 108 + 216 * column,
                                                     33 + 108 + 216 * row, rgb),
                                       what=f"quadrant {column},{row}")
                if size != (1024, 600):
                    continue
                self.assertEqual(area.left, 112)
                screen = harness.screenshot()
                for x in (0, area.left - 1, area.left + 800, 1023):
                    self.assertEqual(screen.pixel(x, 300), (0, 0, 0), f"bar at x {x}")
                # The pointer maps back to the play screen: the selected character stands on
                # the square under it.
                x, y = area.to_screen(555, 280)
                harness.run("xdotool", "mousemove", str(x), str(y), "click", "1")
                for column in (1, 3):
                    x, y = area.to_screen(*square_centre(column, 0))
                    harness.run("xdotool", "mousemove", str(x), str(y))
                    harness.wait_until(lambda: shows(17 + 43 * column + 20, 35 + 10,
                                                     pattern.STILL),
                                       what=f"the preview on ({column}, 0)")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_x_server_going_away_ends_the_program(self):
        for playing in (False, True):
            with self.subTest(playing=playing):
                server = self.private_display()
                game = self.start(env={"DISPLAY": os.environ["DISPLAY"]})
                dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
                if playing:
                    game.key(dialog, "Return")
                    self.wait_drawn(game.wait_window(harness.PLAY_TITLE, kind="normal"))
                server.kill()
                server.wait()
                game.wait_exit(5)

    def test_without_audio_the_game_plays_silently(self):
        # The device is opened at start-up: without any warning the line is there as well.
        for env, warn in (({"SDL_AUDIODRIVER": "nosuchdriver"}, True),
                          ({"SDL_AUDIODRIVER": "disk",
                            "SDL_DISKAUDIOFILE": "missing/folder/out.raw"}, False)):
            with self.subTest(env=env):
                game, play = self.open_play(env=env)
                self.wait_drawn(play)
                if warn:
                    # The Inkcaps over the placed Puffballs: the warning that cannot sound.
                    for button in (PUFFBALLS, INKCAPS):
                        game.click(play, 555, 280 + 40 * button)
                        game.click(play, *square_centre(4, 9))
                    shown = self.board(play)
                    self.move(play, 1, 1)
                    harness.wait_until(lambda: self.board(play) != shown, 2,
                                       "the preview to move")
                game.key(play, "F12")
                self.assertEqual(game.wait_exit(), 0)
                # No box; one line on standard error says why there is no sound.
                self.assertEqual([m.split(":")[0] for m in game.messages()], ["no sound"])

    def test_a_window_the_display_refuses_is_reported(self):
        # A window visual that does not exist makes window creation fail.
        game = self.start(env={"SDL_VIDEO_X11_WINDOW_VISUALID": "0x7fffffff"})
        game.key(game.wait_window(harness.CONFIG_TITLE, kind="dialog"), "Return")
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Failed to create the window"])


if __name__ == "__main__":
    harness.main()
