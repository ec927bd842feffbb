"""Measures start-up from the outside: from the press of Start in the configuration dialog to the
first screenshot that shows the sample game's board, over several runs of the real program
under a private Xvfb. The press and the screen reads go straight to the X server (XTest and
XGetImage through ctypes), so the figure holds no process start-up of helper tools.
    python3 bench/first_frame.py build/tarnwick [--runs 10] [--json]
"""

import argparse
import ctypes
import json
import pathlib
import statistics
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402
import test_config_dialog as dialog_layout  # noqa: E402
from private_display import PrivateDisplay  # noqa: E402

# A pixel in the middle of the board's first square, in play-screen pixels.
BOARD_PIXEL = (17 + 20, 35 + 20)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint8))]


class X:
    """The few Xlib and XTest calls the measurement needs."""

    def __init__(self):
        self.xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.xlib.XGetImage.restype = ctypes.POINTER(XImage)
        self.xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                        ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                        ctypes.c_ulong, ctypes.c_int]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.xlib.XFree.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.xlib.XOpenDisplay(None)
        self.root = self.xlib.XDefaultRootWindow(self.display)

    def click(self):
        for press in (1, 0):
            self.xtst.XTestFakeButtonEvent(self.display, 1, press, 0)
        self.xlib.XFlush(self.display)

    def pixel(self, x, y):
        image = self.xlib.XGetImage(self.display, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)
        if not image:
            return None
        data = image.contents.data
        value = (data[2], data[1], data[0])
        self.xlib.XFree(data)
        self.xlib.XFree(image)
        return value


def measure(binary, x, board):
    """Starts the program, presses Start and returns the milliseconds until the board shows;
    board is the colour to wait for, or None to learn it (the first run)."""
    with harness.Program(binary) as game:
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.activate(dialog)
        sx, sy = dialog_layout.START
        harness.run("xdotool", "mousemove", str(dialog.x + sx), str(dialog.y + sy))
        time.sleep(0.3)
        start = time.monotonic()
        x.click()
        play = game.wait_window(harness.PLAY_TITLE, kind="normal") if board is None else None
        spot = (play.x + BOARD_PIXEL[0], play.y + BOARD_PIXEL[1]) if play else measure.spot
        while True:
            seen = x.pixel(*spot)
            if (board is None and seen not in (None, (0, 0, 0))) or (board and seen == board):
                elapsed = time.monotonic() - start
                break
            if time.monotonic() - start > 10:
                raise RuntimeError("the board was not drawn within 10 s")
        measure.spot = spot
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        time.sleep(0.3)
        board = board or x.pixel(*spot)
        game.key(play, "F12")
        game.wait_exit()
    return elapsed * 1e3, board


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    with PrivateDisplay():
        x = X()
        _, board = measure(args.binary, x, None)
        times = [measure(args.binary, x, board)[0] for _ in range(args.runs)]
    median = statistics.median(times)
    if args.json:
        print(json.dumps({"outside_ms": median}))
    else:
        print(f"Start pressed to the board on screen, outside: median {median:.1f} ms of "
              f"{args.runs} runs (fastest {min(times):.1f}, slowest {max(times):.1f})")


if __name__ == "__main__":
    main()
