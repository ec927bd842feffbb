"""The README's chapter for authors, run as an author would: its first game is made from the
chapter's files and commands, checked, played, broken as the chapter breaks it, and checked and
started again; every output the chapter shows must be what the real program prints."""

import os
import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

CHAPTER = (harness.REPO / "README.md").read_text().split("## Writing content")[1].split("\n## ")[0]
FILES = re.findall(r"```ini (\S+)\n(.*?)```", CHAPTER, re.S)
COMMANDS = re.findall(r"```sh\n(.*?)```", CHAPTER, re.S)
SESSIONS = re.findall(r"```console\n(.*?)```", CHAPTER, re.S)


def session(text):
    """A console block as (command, output lines) pairs."""
    return [(part.splitlines()[0], part.splitlines()[1:]) for part in text.split("$ ")[1:]]


def make_first_game(workdir):
    """The chapter's first game in workdir/mygame, with this source tree's sample game."""
    for name, text in FILES:
        path = workdir / "mygame" / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    script = re.sub(r"^SAMPLE=\S+", f"SAMPLE='{harness.GAME_DIR}'", COMMANDS[0], flags=re.M)
    subprocess.run(["bash", "-e", "-c", script], cwd=workdir, check=True, timeout=60)


class ReadmeTest(harness.TestCase):
    def run_check(self, workdir, command, output):
        self.assertTrue(command.startswith("tarnwick --check "), command)
        result = subprocess.run([str(pathlib.Path(self.binary).resolve()), *command.split()[1:]],
                                cwd=workdir, capture_output=True, text=True, timeout=60,
                                check=False)
        self.assertEqual(result.stdout.splitlines(), output)
        return result.returncode

    def test_the_first_game_checks_clean_plays_and_breaks_as_shown(self):
        game = self.start(make_first_game, args=["mygame"])
        workdir = game.dir
        (command, output), _ = session(SESSIONS[0])
        self.assertEqual(self.run_check(workdir, command, output), 0)

        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        harness.wait_until(lambda: harness.screenshot().pixel(play.x + 100, play.y + 100)
                           == (70, 110, 60), what="the board")
        # The pebble's button, then the pebble placed on the board's first square.
        game.click(play, 555, 280)
        game.click(play, 37, 55)
        def pebble_shown():
            pixel = harness.screenshot().pixel(play.x + 37, play.y + 56)
            return all(abs(got - wanted) < 8 for got, wanted in zip(pixel, (120, 120, 130)))
        harness.wait_until(pebble_shown, what="the pebble on the board")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.said(), [])

        subprocess.run(["bash", "-e", "-c", COMMANDS[1]], cwd=workdir, check=True, timeout=60)
        (command, output), (status, code) = session(SESSIONS[1])
        self.assertEqual((status, code), ("echo $?", [str(self.run_check(workdir, command,
                                                                         output))]))

        [(command, said)] = session(SESSIONS[2])
        self.assertEqual(command, "tarnwick mygame")
        broken = self.start(lambda folder: os.rename(workdir / "mygame", folder / "mygame"),
                            args=["mygame"])
        broken.key(broken.wait_window(harness.CONFIG_TITLE, kind="dialog"), "Return")
        broken.wait_message("Failed to process package. Error -22")
        broken.dismiss_box()
        self.assertEqual(broken.wait_exit(), 0)
        folder = os.path.realpath(broken.dir / "mygame")
        self.assertEqual(broken.stderr_lines(),
                         [line.replace("/home/me/mygame", folder) for line in said])


if __name__ == "__main__":
    harness.main()
