"""A short session of the real program under valgrind's memcheck: the dialog, a few clicks of
play, F12. No memory error and no definite leak may be reported; tests/valgrind.supp names
the system libraries' own reports that are left out.

The program given must be built without sanitizers (memcheck cannot run those); `make test`
passes the release build."""

import pathlib
import re
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

SUPPRESSIONS = harness.REPO / "tests" / "valgrind.supp"
# Memcheck runs the program some twenty to fifty times slower.
SLOW = 120.0
PUFFBALLS, INKCAPS = 4, 3


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


@unittest.skipUnless(shutil.which("valgrind"), "valgrind is not installed")
class ValgrindTest(harness.TestCase):
    def test_a_session_has_no_memory_errors(self):
        folder = tempfile.TemporaryDirectory(prefix="tarnwick-valgrind-")
        self.addCleanup(folder.cleanup)
        log = pathlib.Path(folder.name) / "memcheck.log"
        # GDK's OpenGL probe would start the software rasteriser, which takes minutes under
        # memcheck; the dialog draws without it.
        env = {"GDK_GL": "disable", "SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/null"}
        memcheck = ["--error-exitcode=99", "--leak-check=full", "--show-leak-kinds=definite",
                    "--errors-for-leak-kinds=definite", f"--suppressions={SUPPRESSIONS}",
                    "--num-callers=30", "--child-silent-after-fork=yes", f"--log-file={log}"]
        game = harness.Program(shutil.which("valgrind"), env=env,
                               args=[*memcheck, pathlib.Path(self.binary).resolve()])
        self.addCleanup(game.close)
        game.start()
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog", timeout=SLOW)
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal", timeout=SLOW)
        # A placement, a turn, a blocked placement with its warning sound, and a lift.
        for button, column, mouse in ((PUFFBALLS, 4, 1), (INKCAPS, 2, 3), (INKCAPS, 4, 1),
                                      (PUFFBALLS, 6, 1)):
            game.click(play, 555, 280 + 40 * button)
            game.click(play, *square_centre(column, 9), button=mouse)
        game.key(play, "F12")
        code = game.wait_exit(SLOW)
        report = log.read_text()
        self.assertEqual(re.findall(r"ERROR SUMMARY: (\d+) errors", report), ["0"], report)
        self.assertEqual(code, 0, report)


if __name__ == "__main__":
    harness.main()
