"""The configuration dialog, driven with mouse and keyboard like a player would."""

import json
import os
import pathlib
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

RANGE_TEXT = "Enter a number beteen 1 and 60 for\nthe maximum framerate."
EMPTY_TEXT = "Enter a number for the framerate"
SCREEN = (1024, 768)
# Where to save a picture of the dialog with its frame, when set (the README's is docs/).
SHOTS = os.environ.get("TARNWICK_SHOTS")


def centre(x, y, width, height):
    """The centre of a control given in dialog units, in client pixels (6 by 13 base units)."""
    return ((x + width // 2) * 6 + 2) // 4, ((y + height // 2) * 13 + 4) // 8


def indicator(x, y, height):
    """A pixel inside the round check mark of a radio button given in dialog units."""
    return (x * 6 + 2) // 4 + 2, (y * 13 + 4) // 8 + ((height * 13 + 4) // 8) // 2


RADIOS = {"16": indicator(25, 45, 8), "32": indicator(25, 65, 8), "24": indicator(25, 55, 8),
          "Windowed": indicator(80, 46, 10), "Full Screen": indicator(80, 55, 10)}

START = centre(148, 41, 50, 14)
QUIT = centre(148, 62, 50, 14)
DEPTH_32 = centre(25, 65, 24, 8)
FULL_SCREEN = centre(80, 55, 50, 10)
FRAME_RATE = centre(107, 79, 50, 12)


def has_program_icon(window):
    """Whether the window carries Tarnwick's installed 64x64 icon, as _NET_WM_ICON's ARGB."""
    picture = harness.REPO / "dist/icons/hicolor/64x64/apps/tarnwick.png"
    rgba = subprocess.run(["convert", str(picture), "-depth", "8", "rgba:-"],
                          capture_output=True, timeout=10, check=True).stdout
    wanted = [64, 64] + [a << 24 | r << 16 | g << 8 | b for r, g, b, a in zip(*[iter(rgba)] * 4)]
    text = harness.run("xprop", "-id", window.id, "-f", "_NET_WM_ICON", "32c", " = $0+",
                       "_NET_WM_ICON").partition("=")[2]
    return [int(value) for value in text.split(",") if value.strip()][:len(wanted)] == wanted


class ConfigDialogTest(harness.TestCase):
    def open_dialog(self):
        game = self.start()
        return game, game.wait_window(harness.CONFIG_TITLE, kind="dialog")

    def set_frame_rate(self, game, dialog, text):
        game.click(dialog, *FRAME_RATE)
        game.key(dialog, "ctrl+a", "BackSpace")
        if text:
            game.type(dialog, text)

    def checked_radios(self, dialog):
        """The radio buttons whose check mark is drawn in the theme's blue."""
        shot = harness.screenshot()
        checked = set()
        for name, (x, y) in RADIOS.items():
            red, _, blue = shot.pixel(dialog.x + x, dialog.y + y)
            if blue > red + 80:
                checked.add(name)
        return checked

    def wait_checked(self, game, dialog, *names):
        harness.wait_until(lambda: self.checked_radios(dialog) == set(names),
                           what=f"exactly {names} checked")

    def test_dialog_is_centred_fixed_and_native(self):
        game, _ = self.open_dialog()
        # Listed as soon as it is mapped, it may not have its size yet under load.
        dialog = harness.wait_until(lambda: [w for w in game.windows(harness.CONFIG_TITLE)
                                             if (w.width, w.height) == (317, 192)],
                                    what="the dialog at 317x192")[0]
        x, y, width, height = game.frame(dialog)
        self.assertLessEqual(abs(x + width / 2 - SCREEN[0] / 2), 2, dialog)
        self.assertLessEqual(abs(y + height / 2 - SCREEN[1] / 2), 12, dialog)
        # The logo's frame and the light dialog background around it.
        shot = harness.screenshot()
        self.assertEqual(shot.pixel(dialog.x + 2, dialog.y + 2), (0x0a, 0x14, 0x20))
        self.assertGreater(sum(shot.pixel(dialog.x + 1, dialog.y + 100)), 600)
        if SHOTS:
            harness.save_screenshot(pathlib.Path(SHOTS) / "config-dialog.png", x, y, width, height)
        game.click(dialog, *QUIT)
        self.assertEqual(game.wait_exit(), 0)

    def test_enter_starts_windowed(self):
        game, dialog = self.open_dialog()
        self.assertTrue(has_program_icon(dialog))
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        game.wait_gone(dialog)
        self.assertEqual((play.width, play.height), (640, 480))
        self.assertTrue(has_program_icon(play))
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_quit_ends_at_once_showing_nothing_else(self):
        game, dialog = self.open_dialog()
        game.click(dialog, *QUIT)
        seen = set()

        def ended():
            seen.update(w.title for w in game.windows() if w.id != dialog.id)
            return not game.running()

        harness.wait_until(ended, what="the program to end")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(seen, set())
        self.assertEqual(game.messages(), [])

    def test_escape_and_close_box_leave_it_open(self):
        game, dialog = self.open_dialog()
        game.key(dialog, "Escape")
        self.assertTrue(game.stays(dialog))
        game.close_box(dialog)
        self.assertTrue(game.stays(dialog))
        game.click(dialog, *QUIT)
        self.assertEqual(game.wait_exit(), 0)

    def test_refused_frame_rates_show_their_box_and_keep_the_dialog(self):
        game, dialog = self.open_dialog()
        for text, message in (("0", RANGE_TEXT), ("", EMPTY_TEXT), ("61", RANGE_TEXT)):
            self.set_frame_rate(game, dialog, text)
            count = len(game.messages())
            game.key(dialog, "Return")
            harness.wait_until(lambda: len(game.messages()) > count, what=f"a box for {text!r}")
            self.assertEqual(game.messages()[-1], message.replace("\n", " "))
            box = game.dismiss_box()
            self.assertLess(box.width, SCREEN[0] // 2, box)
            self.assertTrue(game.stays(dialog, 0.3), text)
        game.click(dialog, *QUIT)
        self.assertEqual(game.wait_exit(), 0)

    def test_screen_reader_hears_each_control_with_its_group(self):
        bus = self.session_bus()
        game = self.start(env=bus)
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        reader = subprocess.run(
            ["/usr/bin/python3", str(pathlib.Path(__file__).parent / "screen_reader.py"),
             "tarnwick"], env={**os.environ, **bus}, capture_output=True, text=True, timeout=30,
            check=True)
        heard = [(item["role"], item["name"], item["relations"].get("labelled-by"))
                 for item in map(json.loads, reader.stdout.splitlines())
                 if item["role"] in ("radio button", "text")]
        self.assertEqual(heard, [("radio button", "16", ["Color Depth"]),
                                 ("radio button", "32", ["Color Depth"]),
                                 ("radio button", "24", ["Color Depth"]),
                                 ("radio button", "Windowed", ["Mode"]),
                                 ("radio button", "Full Screen", ["Mode"]),
                                 ("text", "Maximum Framerate", ["Maximum Framerate"])])
        game.click(dialog, *QUIT)
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.stderr_lines(), [])

    def test_typed_letters_are_refused(self):
        game, dialog = self.open_dialog()
        # "ab1c2" typed leaves "12": a field that took the letters would hold 0 and be refused.
        self.set_frame_rate(game, dialog, "ab1c2")
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_keyboard_follows_the_template_order(self):
        game, dialog = self.open_dialog()
        self.wait_checked(game, dialog, "16", "Windowed")
        # Start has the focus; Tab reaches Quit, then the checked colour-depth button. Arrows
        # move in the group's order 16, 32, 24, not in the order shown.
        game.key(dialog, "Tab", "Tab", "Down")
        self.wait_checked(game, dialog, "32", "Windowed")
        game.key(dialog, "Down")
        self.wait_checked(game, dialog, "24", "Windowed")
        game.key(dialog, "Down")
        self.wait_checked(game, dialog, "16", "Windowed")
        game.key(dialog, "Up", "Tab", "Down")
        self.wait_checked(game, dialog, "24", "Full Screen")
        game.key(dialog, "Tab", "ctrl+a", "4", "5", "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_32_bits_full_screen_by_mouse(self):
        game, dialog = self.open_dialog()
        game.click(dialog, *DEPTH_32)
        game.click(dialog, *FULL_SCREEN)
        self.wait_checked(game, dialog, "32", "Full Screen")
        game.click(dialog, *START)
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        harness.wait_until(
            lambda: any((w.x, w.y, w.width, w.height) == (0, 0) + SCREEN
                        for w in game.windows(harness.PLAY_TITLE, "normal")),
            what="the play window to fill the screen")
        self.assertEqual(game.messages(), [])
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
