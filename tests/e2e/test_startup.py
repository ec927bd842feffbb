"""Start-up and ending of the real program: the play window, F12, the close box, and content
that is missing."""

import os
import pathlib
import sys
import threading

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402


def start_past_dialog(test, workdir="game"):
    """Starts the program and presses Start in the configuration dialog (16 bits, windowed)."""
    game = test.start(workdir)
    dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
    game.key(dialog, "Return")
    return game


class StartupTest(harness.TestCase):
    def test_missing_definition_shows_the_window_then_ends_silently(self):
        # The definition is a pipe: reading it waits until the test has seen the play window,
        # then an empty definition ends the start-up.
        def make_pipe(folder):
            (folder / "packages").mkdir()
            os.mkfifo(folder / "packages" / "morrels.pkg")

        game = start_past_dialog(self, make_pipe)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertEqual((play.width, play.height), (640, 480))
        writer = threading.Thread(
            target=lambda: (game.dir / "packages" / "morrels.pkg").write_text(""), daemon=True)
        writer.start()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_no_content_at_all_ends_silently_with_a_hint_on_stderr(self):
        game = start_past_dialog(self, "empty")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [
            f"no game found: packages/morrels.pkg is missing in {os.path.realpath(game.dir)}"])

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

    def test_without_a_display_the_failure_is_reported(self):
        game = self.start(env={"DISPLAY": None, "WAYLAND_DISPLAY": None})
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Failed to register window class"])


if __name__ == "__main__":
    harness.main()
