"""Start-up and ending of the real program: the play window, F12, the close box, and content
that is missing."""

import os
import pathlib
import shutil
import signal
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402


def declare_animation(folder, path="packages/anims/sway.ani"):
    """The sample game with an animation package, whose path shows in a box at start."""
    shutil.copytree(harness.GAME_DIR, folder, dirs_exist_ok=True)
    cell = folder / "packages/cells/morel_0.cel"
    cell.write_text(cell.read_text().replace("IDLE PACKAGES=0", "IDLE PACKAGES=1")
                    + f"\n[IDLE 0]\nPACKAGE={path}\n")


def start_past_dialog(test, workdir="game"):
    """Starts the program and presses Start in the configuration dialog (16 bits, windowed)."""
    game = test.start(workdir)
    dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
    game.key(dialog, "Return")
    return game


class StartupTest(harness.TestCase):
    def test_content_is_read_once_the_window_is_shown(self):
        # An animation package shows its path in a box while the cells load: the play window
        # is there by then.
        game = start_past_dialog(self, declare_animation)
        game.wait_message("packages/anims/sway.ani")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertEqual((play.width, play.height), (640, 480))
        game.dismiss_box()
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_no_content_at_all_says_why_in_a_box(self):
        game = start_past_dialog(self, "empty")
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        folder = os.path.realpath(game.dir)
        self.assertEqual(game.messages(), [
            f"no game found: packages/morrels.pkg is missing in {folder}",
            "packages/morrels.pkg: error: the game definition cannot be opened: No such file or "
            f"directory run 'tarnwick --check {folder}' to see every problem at once"])

    def test_an_empty_definition_says_why_in_a_box(self):
        def empty_definition(folder):
            (folder / "packages").mkdir()
            (folder / "packages" / "morrels.pkg").write_text("")

        game = start_past_dialog(self, empty_definition)
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [
            "packages/morrels.pkg: error: there is no HEADER section run 'tarnwick --check "
            f"{os.path.realpath(game.dir)}' to see every problem at once"])

    def test_f12_ends_the_game(self):
        game = start_past_dialog(self)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        game.key(play, "a", "Escape", "F11")
        self.assertTrue(game.stays(play))
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_close_box_ends_the_game(self):
        game = start_past_dialog(self)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        game.close_box(play)
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_stop_signals_end_the_game_in_order(self):
        # The box's path is longer than the screen is wide: the box wraps it to fit.
        path = "packages/" + "x" * 991
        for state, number, boxes in (("dialog", signal.SIGTERM, []),
                                     ("play", signal.SIGINT, []),
                                     ("full screen", signal.SIGHUP, []),
                                     ("box", signal.SIGTERM, [path])):
            with self.subTest(state=state, signal=number.name):
                game = self.start(
                    (lambda folder: declare_animation(folder, path)) if state == "box" else "game")
                dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
                if state == "full screen":
                    game.click(dialog, *dialog_layout.FULL_SCREEN)
                if state != "dialog":
                    game.click(dialog, *dialog_layout.START)
                    game.wait_window(harness.BOX_TITLE if state == "box" else harness.PLAY_TITLE,
                                     kind="dialog" if state == "box" else "normal")
                if state == "box":
                    x, y, width, height = game.frame(game.wait_window(harness.BOX_TITLE, "dialog"))
                    screen = harness.run("xdotool", "getdisplaygeometry").split()
                    self.assertTrue(0 <= x < x + width <= int(screen[0]), (x, width))
                    self.assertTrue(0 <= y < y + height <= int(screen[1]), (y, height))
                game.process.send_signal(number)
                self.assertEqual(game.wait_exit(), 0)
                self.assertEqual(game.messages(), boxes)

    def test_without_a_display_the_failure_is_reported(self):
        for runtime in (None, "/nonexistent"):
            with self.subTest(runtime=runtime):
                game = self.start(env={"DISPLAY": None, "WAYLAND_DISPLAY": None,
                                       "XDG_RUNTIME_DIR": runtime})
                self.assertEqual(game.wait_exit(), 0)
                # One line says why before the box, with nothing from the libraries beside it.
                why, box = game.stderr_lines()
                self.assertTrue(why.startswith("Tarnwick: no display to show the game on: "))
                self.assertEqual(box, "Tarnwick: Failed to register window class")


if __name__ == "__main__":
    harness.main()
