"""The command line of the real program: help, version, refusals before any window, and a
game folder given as an argument."""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

TRY_HELP = "Tarnwick: Try 'tarnwick --help' for more information."


def project_version():
    text = (harness.REPO / "CMakeLists.txt").read_text()
    return re.search(r"project\(Tarnwick VERSION (\S+)", text).group(1)


class CommandLineTest(harness.TestCase):
    def run_program(self, *args, cwd=None):
        result = subprocess.run([self.binary, *args], cwd=cwd, capture_output=True, text=True,
                                timeout=10, stdin=subprocess.DEVNULL, check=False)
        return result.returncode, result.stdout, result.stderr

    def test_help_and_version(self):
        code, out, err = self.run_program("--help")
        self.assertEqual((code, err), (0, ""))
        self.assertTrue(out.startswith("Usage: tarnwick [OPTIONS] [GAME_FOLDER]\n"), out)
        self.assertEqual(self.run_program("x", "--version"),
                         (0, f"Tarnwick {project_version()}\n", ""))

    def test_refusals_end_with_code_2_before_any_window(self):
        missing = harness.GAME_DIR / "no such folder"
        definition = harness.GAME_DIR / "packages" / "morrels.pkg"
        for args, lines in (
                (["--bogus"], ["Tarnwick: unrecognized option '--bogus'", TRY_HELP]),
                (["--fps", "0"], ["Tarnwick: frame rate '0' for --fps: give a number between 1 "
                                   "and 60"]),
                (["a", "b"], ["Tarnwick: extra operand 'b': give one GAME_FOLDER at most",
                              TRY_HELP]),
                ([missing], [f"Tarnwick: cannot open game folder '{missing}': "
                             "No such file or directory"]),
                ([definition], [f"Tarnwick: cannot open game folder '{definition}': "
                                "Not a directory"])):
            with self.subTest(args=args):
                code, out, err = self.run_program(*args)
                self.assertEqual((code, out, err.splitlines()), (2, "", lines))

    def test_an_unreadable_folder_is_said_to_be_unreadable(self):
        # Root reads every folder: as root the program runs as nobody, from a copy nobody may run.
        with tempfile.TemporaryDirectory() as place:
            os.chmod(place, 0o755)
            binary = shutil.copy(self.binary, place)
            locked = pathlib.Path(place) / "locked"
            locked.mkdir()
            os.chmod(locked, 0)
            as_nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
            result = subprocess.run([*(as_nobody if os.geteuid() == 0 else []), binary, "--check",
                                     locked], capture_output=True, text=True, timeout=10,
                                    env={**os.environ, "LSAN_OPTIONS": "detect_leaks=0"},
                                    check=False)
        self.assertEqual((result.returncode, result.stderr.splitlines()), (2, [
            f"Tarnwick: cannot open game folder '{locked}': Permission denied"]))

    def test_a_game_folder_given_from_elsewhere_is_played(self):
        game = self.start("empty", args=[harness.GAME_DIR])
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        # The first character's panel button is the sample game's, read from the folder.
        harness.wait_until(lambda: harness.screenshot().pixel(play.x + 555, play.y + 280)
                           != (0, 0, 0), what="the panel to be drawn")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])


if __name__ == "__main__":
    harness.main()
