"""The real program on the sample game and on broken copies of it."""

import pathlib
import shutil
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402


def sample_game_with(change):
    """A working directory holding a copy of the sample game, changed by `change(folder)`."""
    def fill(folder):
        shutil.copytree(harness.GAME_DIR, folder, dirs_exist_ok=True)
        change(folder)
    return fill


def edit(path, old, new):
    text = path.read_text()
    assert old in text, f"{old!r} not in {path}"
    path.write_text(text.replace(old, new))


class ContentTest(harness.TestCase):
    def start_game(self, workdir="game"):
        game = self.start(workdir)
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        return game

    def test_sample_game_starts_without_a_message(self):
        game = self.start_game()
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertTrue(game.stays(play, 1.0))
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_missing_character_package_is_reported_then_ends(self):
        game = self.start_game(sample_game_with(
            lambda folder: (folder / "packages/characters/puffballs.chr").unlink()))
        game.wait_message("Failed to process package. Error -11")
        box = game.dismiss_box()
        self.assertEqual(box.title, harness.BOX_TITLE)
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Failed to process package. Error -11"])

    def test_missing_still_picture_passes_its_code_up(self):
        game = self.start_game(sample_game_with(
            lambda folder: (folder / "images/cells/inkcap_1.bmp").unlink()))
        game.wait_message("Failed to process package. Error -22")
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Failed to process package. Error -22"])

    def test_six_characters_are_too_many(self):
        game = self.start_game(sample_game_with(
            lambda folder: edit(folder / "packages/morrels.pkg", "CHARACTERS=5", "CHARACTERS=6")))
        game.wait_message("Too many characters in definition file. Terminating")
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Too many characters in definition file. Terminating"])

    def test_animation_package_shows_its_path(self):
        def declare_animation(folder):
            edit(folder / "packages/cells/puffball_0.cel", "IDLE PACKAGES=0", "IDLE PACKAGES=1")
            with open(folder / "packages/cells/puffball_0.cel", "a") as cell:
                cell.write("\n[IDLE 0]\nPACKAGE=packages/anims/puffball_sway.ani\n")

        game = self.start_game(sample_game_with(declare_animation))
        game.wait_message("packages/anims/puffball_sway.ani")
        game.dismiss_box()
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertTrue(game.stays(play))
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["packages/anims/puffball_sway.ani"])

    def test_missing_overlay_fails_the_engine(self):
        game = self.start_game(sample_game_with(
            lambda folder: (folder / "images/GridOverlay.bmp").unlink()))
        game.wait_message("Failed to initialize game engine.")
        game.dismiss_box()
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), ["Failed to initialize game engine."])


if __name__ == "__main__":
    harness.main()
