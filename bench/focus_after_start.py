"""Measures how soon the play window holds the keyboard focus after Start: from Enter pressed in
the configuration dialog to the X server naming the play window as the focus, over several runs
of the real program, under openbox on Xvfb and under weston (the program on its XWayland).
The key goes to the X server through XTest and the focus is read with XGetInputFocus, so the
figure holds no start-up of helper tools.
    python3 bench/focus_after_start.py build/tarnwick [--runs 10] [--json]
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
from first_frame import X  # noqa: E402
from private_display import PrivateDisplay, WestonDisplay  # noqa: E402

RETURN_KEYSYM = 0xFF0D


class Keyboard(X):
    """Enter pressed through XTest, and the window holding the input focus."""

    def __init__(self):
        super().__init__()
        self.xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.xlib.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong),
                                             ctypes.POINTER(ctypes.c_int)]
        self.xlib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_ulong),
                                         ctypes.POINTER(ctypes.c_void_p),
                                         ctypes.POINTER(ctypes.c_uint)]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.enter = self.xlib.XKeysymToKeycode(self.display, RETURN_KEYSYM)

    def press_enter(self):
        for press in (1, 0):
            self.xtst.XTestFakeKeyEvent(self.display, self.enter, press, 0)
        self.xlib.XFlush(self.display)

    def holds_focus(self, window):
        """Whether the focus is on the window or inside it (GTK focuses a child of its own)."""
        focus, revert = ctypes.c_ulong(), ctypes.c_int()
        self.xlib.XGetInputFocus(self.display, ctypes.byref(focus), ctypes.byref(revert))
        current = focus.value
        while current > 1 and current != self.root:
            if current == window:
                return True
            root, parent = ctypes.c_ulong(), ctypes.c_ulong()
            children, count = ctypes.c_void_p(), ctypes.c_uint()
            if not self.xlib.XQueryTree(self.display, current, ctypes.byref(root),
                                        ctypes.byref(parent), ctypes.byref(children),
                                        ctypes.byref(count)):
                return False
            if children:
                self.xlib.XFree(children)
            current = parent.value
        return False


def measure(binary, keyboard):
    """Starts the program, presses Enter in its dialog and returns the milliseconds until the
    play window holds the focus."""
    with harness.Program(binary) as game:
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        harness.wait_until(lambda: keyboard.holds_focus(int(dialog.id, 16)),
                           what="the dialog to hold the focus")
        time.sleep(0.2)
        start = time.monotonic()
        keyboard.press_enter()
        play = None
        while True:
            elapsed = time.monotonic() - start
            if elapsed > 10:
                raise RuntimeError("the play window did not get the focus within 10 s")
            if play is None:
                shown = game.windows(harness.PLAY_TITLE, "normal")
                play = int(shown[0].id, 16) if shown else None
            elif keyboard.holds_focus(play):
                break
            time.sleep(0.001)
        game.process.terminate()
        game.process.wait(timeout=10)
    return elapsed * 1e3


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    results = {}
    for name, desktop in (("openbox", PrivateDisplay), ("weston", WestonDisplay)):
        with desktop():
            keyboard = Keyboard()
            results[name] = statistics.median(measure(args.binary, keyboard)
                                              for _ in range(args.runs))
    if args.json:
        print(json.dumps(results))
    else:
        for name, median in results.items():
            print(f"Enter on the dialog to the play window focused, {name}: median {median:.1f}"
                  f" ms of {args.runs} runs")


if __name__ == "__main__":
    main()
