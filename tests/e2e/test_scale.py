"""The play window at a scale on a 3840x2160 screen: the client area is 640x480 times the
scale, each play-screen pixel a sharp block, clicks land where they are seen; the desktop's
scale is the default, and a scale too large for the screen gives way to one that fits."""

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_display as display  # noqa: E402

SCREEN = "3840x2160x24"
# Rows of the frame-rate line, whose number may differ between two runs.
FPS_ROWS = 20


class ScaleTest(harness.TestCase):
    def open_play(self, args=(), env=None, dialog_size=(317, 192)):
        game = self.start(display.make_pattern_game, env=env, args=args)
        dialog = harness.wait_until(
            lambda: [w for w in game.windows(harness.CONFIG_TITLE, "dialog")
                     if (w.width, w.height) == dialog_size], what=f"a dialog of {dialog_size}")[0]
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        area = display.PlayArea(play.x, play.y, play.width, play.height)
        harness.wait_until(lambda: harness.screenshot().pixel(*area.to_screen(15 + 108, 33 + 108))
                           == display.QUADRANTS[(0, 0)], what="the board drawn")
        return game, play, area

    def test_scale_3_shows_each_pixel_as_a_3x3_block_where_clicks_find_it(self):
        self.private_display(SCREEN)
        game, play, _ = self.open_play(args=["--scale", "1"])
        self.assertEqual((play.width, play.height), display.PLAY)
        shot = harness.screenshot()
        single = [shot.data[((play.y + y) * shot.width + play.x) * 3:][:640 * 3]
                  for y in range(480)]
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

        game, play, area = self.open_play(args=["--scale", "3"])
        self.assertEqual((play.width, play.height), (1920, 1440))
        shot = harness.screenshot()
        for y in range(FPS_ROWS * 3, 1440):
            row = shot.data[((play.y + y) * shot.width + play.x) * 3:][:1920 * 3]
            source = single[y // 3]
            wanted = b"".join(source[x * 3:x * 3 + 3] * 3 for x in range(640))
            self.assertEqual(row, wanted, f"row {y} is row {y // 3} of the 1x picture, tripled")

        # The character's button, then a square: the still picture stands on that square.
        for x, y in ((555, 280), (17 + 43 * 4 + 20, 35 + 43 * 5 + 20)):
            sx, sy = area.to_screen(x, y)
            game.click(play, sx - play.x + 1, sy - play.y + 1)
        harness.wait_until(
            lambda: harness.screenshot().pixel(*area.to_screen(17 + 43 * 4 + 20, 35 + 43 * 5 + 10))
            == display.STILL, what="the character placed on square (4, 5)")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)

    def test_the_desktops_scale_is_the_default_and_too_large_a_scale_gives_way(self):
        # The dialog follows the desktop's scale as well: GTK's own, or its larger text.
        self.private_display(SCREEN)
        for args, env, dpi, size, dialog in (
                ((), {"GDK_SCALE": "2"}, None, (1280, 960), (634, 384)),
                ((), None, "192", (1280, 960), (633, 384)),
                (("--scale", "8"), None, None, (2560, 1920), (317, 192))):
            with self.subTest(args=args, env=env, dpi=dpi):
                harness.run("xrdb", "-remove" if dpi is None else "-merge",
                            input=f"Xft.dpi: {dpi}\n" if dpi else None)
                game, play, _ = self.open_play(args=args, env=env, dialog_size=dialog)
                self.assertEqual((play.width, play.height), size)
                game.key(play, "F12")
                self.assertEqual(game.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
