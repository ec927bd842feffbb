"""The real program on the sample game and on broken copies of it."""

import array
import os
import pathlib
import re
import shutil
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

PUFFBALLS, INKCAPS = 4, 3
# SDL's disk audio driver writes what the program plays to this file in its folder.
SOUND_FILE = "played.raw"
DISK_AUDIO = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": SOUND_FILE}
PATH_KEY = re.compile(r"^(BACKGROUND|Button_Up|Button_Down|Package|STILL)=(.*)$",
                      re.IGNORECASE | re.MULTILINE)


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


def replace_with_fifo(name):
    def change(folder):
        (folder / name).unlink()
        os.mkfifo(folder / name)
    return change


def windows_made(folder):
    """Every path inside the files in capitals with '\\' separators."""
    for file in (folder / "packages").rglob("*.*"):
        file.write_text(PATH_KEY.sub(
            lambda m: m.group(1) + "=" + m.group(2).upper().replace("/", "\\"),
            file.read_text()))


def as_written_on_the_home_platform(folder):
    """A Windows-made game whose files and folders are named in other letter case too."""
    windows_made(folder)
    for old, new in [("packages/morrels.pkg", "packages/Morrels.PKG"), ("packages", "PACKAGES"),
                     ("images/GridOverlay.bmp", "images/gridoverlay.BMP"), ("images", "Images"),
                     ("sounds/bleep14.wav", "sounds/Bleep14.WAV"), ("sounds", "SOUNDS")]:
        (folder / old).rename(folder / new)


def line_of(name, text):
    """"name:line" of the first line of the sample game's file `name` that starts with `text`."""
    lines = (harness.GAME_DIR / name).read_text().splitlines()
    return f"{name}:{next(n for n, line in enumerate(lines, 1) if line.startswith(text))}"


def remove(name):
    return lambda folder: (folder / name).unlink()


DEFINITION = "packages/morrels.pkg"
FAILED = "Failed to process package. Error "
NO_HEADER = f"{DEFINITION}: error: there is no HEADER section"
NOT_FOUND = "cannot be opened: No such file or directory"
NO_SECTION = line_of(DEFINITION, "CHARACTERS=") + ": error: there is no section CHARACTER "
# A start that would end without a box of its own shows its first error and the check's hint.
HINT = "run 'tarnwick --check {folder}' to see every problem at once"


def saved_as(encoding):
    return lambda f: (f / DEFINITION).write_text((harness.GAME_DIR / DEFINITION).read_text(),
                                                 encoding=encoding)


# How a broken copy of the sample game starts: the boxes it shows, whether it then plays, and
# the findings it writes to standard error beside them, each the start of one line.
FAILED_STARTS = [
    ("no definition", remove(DEFINITION), [f"{DEFINITION}: error: the game definition {NOT_FOUND}"
                                           f" {HINT}"], False,
     [f"{DEFINITION}: error: the game definition {NOT_FOUND}"]),
    ("space before '='", lambda f: edit(f / DEFINITION, "NAME=", "NAME ="),
     [line_of(DEFINITION, "[HEADER]") + f": error: the header lacks NAME= {HINT}"], False,
     [line_of(DEFINITION, "NAME=") + ": warning: 'NAME =' is not the key 'NAME='",
      line_of(DEFINITION, "[HEADER]") + ": error: the header lacks NAME= (the game shows this"]),
    ("number written as a word", lambda f: edit(f / DEFINITION, "CHARACTERS=5", "CHARACTERS=five"),
     [line_of(DEFINITION, "[HEADER]") + ": error: the header lacks a CHARACTERS= other than 0 "
      + HINT], False, []),
    ("UTF-32", saved_as("utf-32-le"), [f"{NO_HEADER} {HINT}"], False,
     [f"{DEFINITION}: warning: the file is saved as UTF-32: the game reads none of its lines as "
      "written; save it as UTF-8 (or ASCII) without a byte-order mark", NO_HEADER]),
    ("UTF-16", saved_as("utf-16"), [f"{NO_HEADER} {HINT}"], False,
     [f"{DEFINITION}: warning: the file is saved as UTF-16 (it begins with a byte-order mark)"]),
    ("sections numbered from 1", lambda f: edit(f / DEFINITION, "[CHARACTER 0]", "[CHARACTER 5]"),
     [f"{NO_SECTION}0, which CHARACTERS=5 asks for {HINT}"], False, []),
    ("section numbered twice", lambda f: edit(f / DEFINITION, "[CHARACTER 2]", "[CHARACTER 1]"),
     [f"{NO_SECTION}2, which CHARACTERS=5 asks for {HINT}"], False,
     [f"{NO_SECTION}2, which CHARACTERS=5 asks for (the game shows this in a box and ends)",
      line_of(DEFINITION, "[CHARACTER 2]") + ": warning: section 'CHARACTER 1' is never read: the "
      "one at line " + line_of(DEFINITION, "[CHARACTER 1]").split(":")[1] + " comes first"]),
    ("character package", remove("packages/characters/puffballs.chr"), [FAILED + "-11"], False,
     [line_of(DEFINITION, "Package=packages/characters/puffballs.chr") + ": error: character "
      f"package 'packages/characters/puffballs.chr' {NOT_FOUND}"]),
    ("still picture", remove("images/cells/inkcap_1.bmp"), [FAILED + "-22"], False,
     [line_of("packages/cells/inkcap_1.cel", "STILL=images") + ": error: still picture "
      f"'images/cells/inkcap_1.bmp' {NOT_FOUND}"]),
    ("still picture not a BMP", lambda f: shutil.copy(f / DEFINITION, f / "images/cells/morel_3.bmp"),
     [FAILED + "-22"], False,
     [line_of("packages/cells/morel_3.cel", "STILL=images") + ": error: still picture "
      "'images/cells/morel_3.bmp' is not a BMP file"]),
    ("overlay", remove("images/GridOverlay.bmp"), ["Failed to initialize game engine."], False,
     [f"images/GridOverlay.bmp: error: board overlay {NOT_FOUND}"]),
    ("six characters", lambda f: edit(f / DEFINITION, "CHARACTERS=5", "CHARACTERS=6"),
     ["Too many characters in definition file. Terminating"], False,
     [line_of(DEFINITION, "CHARACTERS=") + ": error: CHARACTERS=6 is more than 5"]),
    ("button picture", remove("images/buttons/inkcap_up.bmp"), [], True,
     [line_of(DEFINITION, "Button_Up=images/buttons/inkcap_up") + ": warning: button picture "
      f"'images/buttons/inkcap_up.bmp' {NOT_FOUND}; the button stays empty"]),
    ("background", remove("images/Board.bmp"), [], True,
     [line_of(DEFINITION, "BACKGROUND=") + ": warning: background picture 'images/Board.bmp' "
      f"{NOT_FOUND} (the game reads no further in the header and shows no board picture)"]),
]


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


class ContentTest(harness.TestCase):
    def start_game(self, workdir="game", env=None):
        game = self.start(workdir, env)
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        return game

    def blocked_placement(self, game, play):
        """Places the Puffballs on (4, 9), then tries the Inkcaps over them: the warning."""
        for button, square in [(PUFFBALLS, (4, 9)), (INKCAPS, (4, 9))]:
            game.click(play, 555, 280 + 40 * button)
            game.click(play, *square_centre(*square))

    def sound_played(self, game):
        sound = game.dir / SOUND_FILE
        samples = array.array("h", sound.read_bytes() if sound.exists() else b"")
        return any(abs(sample) > 1000 for sample in samples)

    def test_sample_game_starts_without_a_message(self):
        game = self.start_game()
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertTrue(game.stays(play, 1.0))
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

    def test_each_failed_start_names_the_file_at_fault(self):
        for name, change, boxes, plays, findings in FAILED_STARTS:
            with self.subTest(name):
                game = self.start_game(sample_game_with(change))
                folder = os.path.realpath(game.dir)
                boxes = [box.format(folder=folder) for box in boxes]
                for box in boxes:
                    game.wait_message(box)
                    game.dismiss_box()
                if plays:
                    game.key(game.wait_window(harness.PLAY_TITLE, kind="normal"), "F12")
                self.assertEqual(game.wait_exit(), 0)
                said = game.findings()
                for finding in findings:
                    self.assertTrue(any(line.startswith(finding) for line in said), (finding, said))
                self.assertEqual(game.said()[-1].endswith(HINT.format(folder=folder)), not plays)
                missing = [f"no game found: {DEFINITION} is missing in {folder}"]
                self.assertEqual(game.messages(), (missing if name == "no definition" else []) + boxes)

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

    def test_fifos_are_refused_without_waiting(self):
        # A FIFO that no program writes to would hold start-up for ever: it counts as missing.
        failed = "Failed to process package. Error "
        unreadable = "no game found: packages/morrels.pkg is not a readable file (it is not a " \
            "regular file) in "
        for name, message in [(DEFINITION, f"{DEFINITION}: error: the game definition cannot be "
                               f"opened: it is not a regular file {HINT}"),
                              ("packages/characters/puffballs.chr", failed + "-11"),
                              ("packages/cells/inkcap_1.cel", failed + "-21"),
                              ("images/cells/inkcap_1.bmp", failed + "-22"),
                              ("images/GridOverlay.bmp", "Failed to initialize game engine.")]:
            with self.subTest(name):
                game = self.start_game(sample_game_with(replace_with_fifo(name)))
                folder = os.path.realpath(game.dir)
                game.wait_message(message.format(folder=folder))
                game.dismiss_box()
                self.assertEqual(game.wait_exit(), 0)
                self.assertEqual(game.messages(), ([unreadable + folder] if name == DEFINITION
                                                   else []) + [message.format(folder=folder)])

        # The background and the warning sound do not stop the game; it plays on without them.
        def background_and_sound(folder):
            replace_with_fifo("images/Board.bmp")(folder)
            replace_with_fifo("sounds/bleep14.wav")(folder)

        game = self.start_game(sample_game_with(background_and_sound), DISK_AUDIO)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.blocked_placement(game, play)
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertFalse(self.sound_played(game))
        self.assertEqual(game.messages(), [])

    def test_game_written_on_the_home_platform_plays(self):
        game = self.start_game(sample_game_with(as_written_on_the_home_platform), DISK_AUDIO)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")

        def drawn(x, y):
            return harness.screenshot().pixel(play.x + x, play.y + y) != (0, 0, 0)
        harness.wait_until(lambda: drawn(*square_centre(0, 0)), what="the board")
        self.assertTrue(drawn(555, 280), "the first panel button")
        self.blocked_placement(game, play)
        harness.wait_until(lambda: self.sound_played(game), what="the warning sound")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])


if __name__ == "__main__":
    harness.main()
