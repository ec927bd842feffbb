"""`tarnwick --check` on the sample game and on copies of it with mistakes, without a display."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_content import as_written_on_the_home_platform, edit, windows_made  # noqa: E402
from test_content import line_of as sample_line  # noqa: E402

STILL, CELL = "images/cells/inkcap_1.bmp", "packages/cells/inkcap_1.cel"
STOPS, STARTS = "the game stops with \"Failed to process package. Error ", "the game starts with 5"
# What the screen would show otherwise than the files say, on copies of the sample game: the
# finding, the start of one line, and the end of the summary.
SHOWN_OTHERWISE = [
    ("floating still", lambda f: subprocess.run(["convert", "-size", "41x41", "xc:red",
                                                 f"BMP3:{f / STILL}"], check=True),
     sample_line(CELL, "STILL=") + f": warning: still picture '{STILL}' is 41 pixels high, less "
     "than 60 (the game draws it from 19 pixels above its square, so it floats 19 pixels", STARTS),
    ("background outside the folder", lambda f: (
        os.rename(f / "images/Board.bmp", f.parent / "Board.bmp"),
        edit(f / "packages/morrels.pkg", "=images/Board.bmp", "=../Board.bmp")),
     sample_line("packages/morrels.pkg", "BACKGROUND=") + ": warning: '../Board.bmp' lies outside "
     "the game folder (the game reads it there, but a copy of the folder lacks it, and --watch "
     "does not see it change)", STARTS),
    ("background not a BMP", lambda f: shutil.copy(f / CELL, f / "images/Board.bmp"),
     sample_line("packages/morrels.pkg", "BACKGROUND=") + ": warning: background picture "
     "'images/Board.bmp' is not a BMP file (the game reads no further", STARTS),
    ("names alike but for letter case", lambda f: (
        shutil.copy(f / STILL, f / "images/cells/INKCAP_1.bmp"),
        edit(f / CELL, STILL, "images/cells/Inkcap_1.bmp")),
     sample_line(CELL, "STILL=") + ": error: still picture 'images/cells/Inkcap_1.bmp' cannot be "
     "opened: 'images/cells/INKCAP_1.bmp' and 'images/cells/inkcap_1.bmp' both match it",
     STOPS + "-22"),
    ("character package without its header line",
     lambda f: edit(f / "packages/characters/puffballs.chr", "[HEADER]\n", ""),
     "packages/characters/puffballs.chr:10: error: section 'CELL 0' comes before any CELLS= "
     "line; there is no [HEADER] section above 'CELLS=2' at line 8, so that line is never read",
     STOPS + "-1"),
    ("picture of a kind not read", lambda f: shutil.copy(
        harness.REPO / "tests/display/bmpsuite/b/rletopdown.bmp", f / STILL),
     sample_line(CELL, "STILL=") + f": error: still picture '{STILL}' is a BMP file the game does "
     "not read: it is run-length encoded (RLE8) and stored top-down", STOPS + "-22"),
]


def line_of(path, text):
    """The number of the first line of `path` that holds `text`."""
    for number, line in enumerate(path.read_text().splitlines(), start=1):
        if text in line:
            return number
    raise AssertionError(f"{text!r} not in {path}")


class CheckTest(harness.TestCase):
    def check(self, change=None):
        """Runs the check on a changed copy of the sample game, from another folder and with
        no display; returns its exit code and its output lines."""
        with tempfile.TemporaryDirectory(prefix="tarnwick-check-") as tmp:
            folder = pathlib.Path(tmp) / "game"
            shutil.copytree(harness.GAME_DIR, folder)
            if change:
                change(folder)
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
            binary = str(pathlib.Path(self.binary).resolve())
            result = subprocess.run([binary, "--check", str(folder)], cwd=tmp, env=env,
                                    capture_output=True, text=True, timeout=60, check=False)
        self.assertEqual(result.stderr, "")
        return result.returncode, result.stdout.splitlines()

    def test_sample_game_is_clean(self):
        code, lines = self.check()
        self.assertEqual(lines, ["0 errors, 0 warnings, 0 notes: the game starts with 5 characters"])
        self.assertEqual(code, 0)

    def test_three_mistakes_in_three_files_are_all_reported(self):
        mistakes = [("packages/morrels.pkg", "Button_Up=images/buttons/inkcap_up.bmp",
                     "Buton_Up=images/buttons/inkcap_up.bmp", "warning: unknown key 'Buton_Up='"),
                    ("packages/characters/morels.chr", "PACKAGE=packages/cells/morel_4.cel",
                     "PACKAGE=packages/cells/morel_9.cel",
                     "error: cell package 'packages/cells/morel_9.cel' cannot be opened"),
                    ("packages/cells/toadstool_2.cel", "DIE PACKAGES=0", "DIE PACKAGES=1",
                     "error: DIE PACKAGES=1 but 0 DIE sections")]
        expected = []

        def make_mistakes(folder):
            for name, old, new, finding in mistakes:
                path = folder / name
                path.write_text(path.read_text().replace(old, new))
                expected.append(f"{name}:{line_of(path, new)}: {finding}")

        code, lines = self.check(make_mistakes)
        for finding in expected:
            self.assertTrue(any(line.startswith(finding) for line in lines), (finding, lines))
        self.assertEqual(len(lines), 4, lines)
        self.assertEqual(lines[-1], '2 errors, 1 warning, 0 notes: the game stops with '
                                    '"Failed to process package. Error -21"')
        self.assertEqual(code, 1)

    def test_game_written_on_the_home_platform_gets_one_note(self):
        for made in (windows_made, as_written_on_the_home_platform):
            code, lines = self.check(made)
            # The note names the file as it is really named, for an editor to open.
            self.assertRegex(lines[0], r"^(packages|PACKAGES)/(morrels.pkg|Morrels.PKG)(:\d+)?: note: "
                             r"\d+ paths written as on Windows are found with letter case ignored "
                             r"and '\\' read as '/' \(the first: .*\): they work here$")
            self.assertEqual(lines[1:], ["0 errors, 0 warnings, 1 note: the game starts with 5 "
                                         "characters"])
            self.assertEqual(code, 0)

    def test_what_the_screen_shows_otherwise_is_found(self):
        for name, change, finding, summary in SHOWN_OTHERWISE:
            with self.subTest(name):
                _, lines = self.check(change)
                self.assertTrue(any(line.startswith(finding) for line in lines[:-1]), lines)
                self.assertIn(": " + summary, lines[-1])


if __name__ == "__main__":
    harness.main()
