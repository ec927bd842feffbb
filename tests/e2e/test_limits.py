"""Content and output that would hold the game for ever or fill its memory, each met by the
sample game under --watch: the game ends with 0 at once and says why, and so does the check.
The time limits guard against hangs; they are no measure of speed."""

import os
import pathlib
import signal
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
from test_content import FAILED, edit, line_of, sample_game_with  # noqa: E402
from test_watch import EMPTY, OVERLAY_RED  # noqa: E402

DEFINITION, PACKAGE = "packages/morrels.pkg", "Package=packages/characters/morels.chr"
SYSTEM_FILE = "cannot be opened: it is one of the system's own files (in /proc)"
MOST_RESIDENT = 512 << 20  # the README's bound with the largest pictures a game may have
# The sanitizer build keeps freed memory aside to catch its use; that memory is not the game's.
ENV = {"ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0"}


def linked_definition(folder):
    (folder / DEFINITION).unlink()
    (folder / DEFINITION).symlink_to("/proc/self/pagemap")


def many_findings(folder):
    # A hundred unknown keys atop every text file, whose paths are written the long way round,
    # and no grid overlay, an error found after every file is read, which puts the findings
    # over the play screen.
    keys = "".join(f"Key{n}{'x' * 60}=\n" for n in range(101))
    for file in (folder / "packages").rglob("*.*"):
        text = file.read_text().replace("=packages/", "=" + "./" * 50 + "packages/")
        file.write_text(text.replace("[HEADER]\n", "[HEADER]\n" + keys, 1))
    (folder / "images" / "GridOverlay.bmp").unlink()


def big_pictures(folder):
    # All 30 pictures at 4096 x 4096 in one colour, run-length encoded: 150 KB each.
    picture = subprocess.run(["/usr/bin/convert", "-size", "4096x4096", "xc:grey", "-type",
                              "Palette", "-compress", "RLE", "BMP3:-"], capture_output=True,
                             check=True).stdout
    for file in (folder / "images").rglob("*.bmp"):
        file.write_bytes(picture)


# Name; change before start; change saved in play; the boxes, each by how its text begins; how
# play ends; the finding of the game and the check (None: nobody reads standard error, and the
# check writes 500 KB); check seconds.
CASES = [
    ("definition linked to /proc/self/pagemap", linked_definition, None,
     [f"{DEFINITION}: error: the game definition {SYSTEM_FILE}"], None,
     f"{DEFINITION}: error: the game definition {SYSTEM_FILE}", 2),
    ("Package= naming /proc/self/pagemap",
     lambda folder: edit(folder / DEFINITION, PACKAGE, "Package=/proc/self/pagemap"), None,
     [FAILED + "-11"], None,
     f"{line_of(DEFINITION, PACKAGE)}: error: character package '/proc/self/pagemap' "
     f"{SYSTEM_FILE}", 2),
    ("definition of 2 GiB saved, then SIGTERM", None,
     lambda folder: os.truncate(folder / DEFINITION, 2 << 30), [], signal.SIGTERM,
     f"{DEFINITION}: error: the game definition cannot be opened: it holds 2147483648 bytes, "
     "more than the 1048576 (1 MiB) a file of its kind may hold", 2),
    ("500 KB of findings saved, standard error unread, then F12", None, many_findings, [], "F12",
     None, 10),
    ("30 pictures of 4096 x 4096 saved, then F12", None, big_pictures, [], "F12",
     line_of("packages/cells/morel_1.cel", "STILL=") + ": error: still picture "
     "'images/cells/morel_1.bmp' cannot be loaded: its 4096 x 4096 pixels would bring the "
     "game's pictures to 83886080, more than the 67108864 (64 Mi) that all of a game's pictures "
     "may have; the largest are 'images/Board.bmp' (4096 x 4096), ", 60),
]


class Unread(harness.Program):
    """The program with a standard error that nobody reads: a pipe that fills up."""

    def _read_stderr(self):
        pass

    def drain(self):
        """What the pipe holds now."""
        os.set_blocking(self.process.stderr.fileno(), False)
        return self.process.stderr.read() or b""


def said(finding, lines):
    return any(line.startswith(finding) for line in lines)


class LimitsTest(harness.TestCase):
    def test_each_case_ends_at_once_and_says_why(self):
        for name, before, saved, boxes, end, finding, check_seconds in CASES:
            with self.subTest(name):
                game = (Unread if finding is None else harness.Program)(
                    self.binary, sample_game_with(before) if before else "game", ENV,
                    ["--windowed", "--fps", "30", "--watch"])
                self.addCleanup(game.close)
                game.start()
                for box in boxes:
                    harness.wait_until(lambda: any(text.startswith(box) for text in
                                                   game.messages()), what=f"the box {box!r}")
                    game.dismiss_box()
                if saved:
                    play = game.wait_window(harness.PLAY_TITLE, kind="normal")

                    def pixel(x, y):
                        return harness.screenshot().pixel(play.x + x, play.y + y)
                    harness.wait_until(lambda: pixel(*EMPTY) != (0, 0, 0), what="the board")
                    saved(game.dir)
                    harness.wait_until(lambda: said(finding, game.findings()) if finding else any(
                        pixel(x, 30) == OVERLAY_RED for x in range(4, 80)), 60, "the findings")
                    with open(f"/proc/{game.process.pid}/status") as status:
                        resident = next(line for line in status if line.startswith("VmRSS:"))
                    self.assertLess(int(resident.split()[1]) << 10, MOST_RESIDENT)
                    if finding is None:
                        # Room again, and a save with other findings: the count of the lines
                        # dropped comes first, and every line is whole.
                        game.drain()
                        edit(game.dir / DEFINITION, f"Key0{'x' * 60}=\n", "")
                        later = harness.wait_until(game.drain, 60, "more lines")
                    game.key(play, "F12") if end == "F12" else game.process.send_signal(end)
                self.assertEqual(game.wait_exit(timeout=2 if saved else 10), 0)
                if finding is None:
                    lines = (later + game.drain()).decode().splitlines()
                    self.assertRegex(lines[0], r"^Tarnwick: \d+ lines of standard error were "
                                               r"dropped$")
                    self.assertTrue(all(line.startswith("Tarnwick: ") for line in lines))
                self.assertTrue(not finding or said(finding, game.findings()), game.findings())
                check = subprocess.run([self.binary, "--check", str(game.dir)], text=True,
                                       capture_output=True, env={**os.environ, **ENV},
                                       timeout=check_seconds, check=False)
                self.assertEqual(check.returncode, 1)
                self.assertTrue(said(finding, check.stdout.splitlines()) if finding
                                else len(check.stdout) > 500_000, check.stdout[-1000:])


if __name__ == "__main__":
    harness.main()
