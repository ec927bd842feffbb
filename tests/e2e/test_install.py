"""Installing into a temporary prefix: the installed files pass the desktops' validators, the
installed program plays its own sample game from an unrelated folder after the prefix has been
moved, and uninstalling leaves nothing behind but the folders that were there before. The Debian
package passes lintian."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

APP_ID = "io.github.tarnwick.Tarnwick"
INSTALLED = [
    "bin/tarnwick",
    "share/tarnwick/games/morrels/packages/morrels.pkg",
    "share/tarnwick/games/morrels/images/Board.bmp",
    f"share/applications/{APP_ID}.desktop",
    f"share/metainfo/{APP_ID}.metainfo.xml",
    "share/man/man6/tarnwick.6",
] + [f"share/icons/hicolor/{size}x{size}/apps/tarnwick.png"
     for size in (16, 24, 32, 48, 64, 128, 256)]


def cmake(*args):
    result = subprocess.run(["cmake", *args], capture_output=True, text=True, timeout=120,
                            check=False)
    if result.returncode != 0:
        raise AssertionError(f"cmake {' '.join(args)} failed:\n{result.stdout}{result.stderr}")


class InstallTest(harness.TestCase):
    def test_install_play_and_uninstall(self):
        build = pathlib.Path(self.binary).resolve().parent
        root = pathlib.Path(tempfile.mkdtemp(prefix="tarnwick-install-"))
        self.addCleanup(shutil.rmtree, root, ignore_errors=True)
        prefix = root / "prefix"
        # A folder that was there before the install stays, even when it is left empty.
        (prefix / "share" / "applications").mkdir(parents=True)
        cmake("--install", str(build), "--prefix", str(prefix))
        missing = [path for path in INSTALLED if not (prefix / path).is_file()]
        self.assertEqual(missing, [])

        metainfo = f"share/metainfo/{APP_ID}.metainfo.xml"
        for command in (["desktop-file-validate", f"share/applications/{APP_ID}.desktop"],
                        ["appstreamcli", "validate", "--no-net", metainfo],
                        ["appstream-util", "validate-relax", "--nonet", metainfo],
                        ["groff", "-man", "-ww", "-z", "-Tutf8", "share/man/man6/tarnwick.6"]):
            with self.subTest(command=command[0]):
                result = subprocess.run(command, cwd=prefix, capture_output=True, text=True,
                                        timeout=30, check=False)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                # appstreamcli lists errors as "E:" and warnings as "W:" lines; it may run as
                # root here, which it mentions on standard error.
                self.assertEqual([line for line in result.stdout.splitlines()
                                  if line[:2] in ("E:", "W:")], [])
                if command[0] != "appstreamcli":
                    self.assertEqual(result.stderr, "")

        # Moved elsewhere, the program still finds its sample game beside it.
        moved = root / "moved"
        os.rename(prefix, moved)
        game = harness.Program(moved / "bin" / "tarnwick", workdir="empty")
        self.addCleanup(game.close)
        game.start()
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        # The centre of the board's first square shows the sample game's background.
        harness.wait_until(lambda: harness.screenshot().pixel(play.x + 37, play.y + 55)
                           != (0, 0, 0), what="the board to be drawn")
        game.key(play, "F12")
        self.assertEqual(game.wait_exit(), 0)
        self.assertEqual(game.messages(), [])

        os.rename(moved, prefix)
        cmake("--build", str(build), "--target", "uninstall")
        left = sorted(str(path.relative_to(prefix)) for path in prefix.rglob("*"))
        self.assertEqual(left, ["share", "share/applications"])

    def test_package_passes_lintian(self):
        result = subprocess.run(["make", "-C", str(harness.REPO), "package"], capture_output=True,
                                text=True, timeout=600, check=False)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        package = harness.REPO / "build-package" / "package" / "tarnwick_1.0.0_amd64.deb"
        result = subprocess.run(["lintian", "--fail-on", "error,warning", str(package)],
                                capture_output=True, text=True, timeout=300, check=False)
        self.assertEqual((result.returncode, result.stdout), (0, ""), result.stderr)


if __name__ == "__main__":
    harness.main()
