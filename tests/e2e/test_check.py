"""`tarnwick --check` on the sample game and on copies of it with mistakes, without a display."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_content import as_written_on_the_home_platform  # noqa: E402


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

    def test_game_written_on_the_home_platform_gets_warnings_only(self):
        code, lines = self.check(as_written_on_the_home_platform)
        self.assertTrue(lines[:-1])
        # Each finding names the file as it is really named, for an editor to open.
        self.assertTrue(all(": warning: " in line and " is found only as " in line
                            and "\\" not in line.split(":")[0] for line in lines[:-1]), lines)
        self.assertTrue(lines[-1].endswith(": the game starts with 5 characters"), lines)
        self.assertEqual(code, 0)


if __name__ == "__main__":
    harness.main()
