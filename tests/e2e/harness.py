"""End-to-end harness: runs the real program under an X display and drives it like a player.

Every test script is run as `python3 tests/e2e/test_x.py <path-of-tarnwick>` with DISPLAY set to
an Xvfb screen that has a window manager (tools/with-display.sh provides both). The harness uses
only the standard library and the Debian tools xwininfo, xprop, xdotool, wmctrl and ImageMagick's
`import`.

    with Program(binary) as game:            # starts in a copy of the repository's game/ folder
        dialog = game.wait_window(CONFIG_TITLE)
        game.click(dialog, 259, 78)          # client-relative pixels
        game.key(dialog, "Return")
        play = game.wait_window(PLAY_TITLE, kind="normal")
        assert game.wait_exit() == 0

Every wait has a deadline and raises Timeout when it passes; leaving the `with` block kills the
program if it is still running, so a test never hangs.
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
GAME_DIR = REPO / "game"

CONFIG_TITLE = "Tarnwick! Configuration"
PLAY_TITLE = "Tarnwick"
BOX_TITLE = "Tarnwick"
# Every message box the program shows is also written to standard error with this prefix.
MESSAGE_PREFIX = "Tarnwick: "
# A start that fails also says what is wrong in the check's form, then how to run the check;
# a box that says both, on a start that would end without one, is a box.
HINT = r"run 'tarnwick --check .+' to see every problem at once$"
FINDING = re.compile(rf"^(?!.+ {HINT}).+?(:\d+)?: (error|warning|note): |^{HINT}")
# The display's report of pictures still alive when it closes: no way of ending may show it.
BUFFERS_ALIVE = "Failed to Release DirectDraw object. Buffers still exist"

DEFAULT_TIMEOUT = 10.0
POLL = 0.05

_TREE_LINE = re.compile(
    r'^\s*(0x[0-9a-f]+) "(.*)": \(.*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)\s*$')


class Timeout(AssertionError):
    """A wait passed its deadline."""


class Window:
    """A top-level client window: its id, title, kind and client area in screen pixels."""

    def __init__(self, wid, title, x, y, width, height, kind):
        self.id, self.title, self.kind = wid, title, kind
        self.x, self.y, self.width, self.height = x, y, width, height

    def __repr__(self):
        return (f"Window({self.id} {self.title!r} {self.kind} "
                f"{self.width}x{self.height}+{self.x}+{self.y})")


class Image:
    """A screenshot as RGB bytes, read pixel by pixel."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.data[offset:offset + 3])


def run(*command, timeout=5.0, input=None):
    """Runs a tool, with the text `input` on its standard input, and returns its standard
    output; a tool that hangs is ended."""
    result = subprocess.run(command, capture_output=True, timeout=timeout, check=False,
                            input=input.encode() if input else None)
    return result.stdout.decode("utf-8", "replace")


def wait_until(condition, timeout=DEFAULT_TIMEOUT, what="condition"):
    """Polls condition until it returns something true, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what}")
        time.sleep(POLL)


def settled(locate, what):
    """What locate() finds twice in a row, once the thing it finds has stopped moving."""
    last = [None]

    def same_again():
        found, last[0] = last[0], locate()
        time.sleep(0.2)
        return found if found and found == last[0] else None
    return wait_until(same_again, what=what)


def screenshot():
    """The whole screen, taken with ImageMagick's import as a binary PPM."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                          capture_output=True, timeout=10, check=True).stdout
    # Header: P6, width, height, maximum value, each after white space; then the pixels.
    fields, position = [], 2
    while len(fields) < 3:
        while data[position:position + 1].isspace():
            position += 1
        start = position
        while not data[position:position + 1].isspace():
            position += 1
        fields.append(int(data[start:position]))
    width, height, _ = fields
    return Image(width, height, data[position + 1:position + 1 + width * height * 3])


def save_screenshot(path, x, y, width, height):
    """Saves a part of the screen as a PNG file."""
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    str(path)], timeout=10, check=True)


class Program:
    """The program under test, started in a temporary working directory.

    workdir "game" copies the repository's game/ folder, "empty" makes an empty folder, and a
    callable receives the new folder's path to fill it. env adds or, with None values, removes
    environment variables; SDL_AUDIODRIVER is "dummy" unless given. args are the program's command-line arguments.
    """

    def __init__(self, binary, workdir="game", env=None, args=()):
        self.binary = str(pathlib.Path(binary).resolve())
        self.args = [str(arg) for arg in args]
        self._tmp = tempfile.TemporaryDirectory(prefix="tarnwick-e2e-")
        self.dir = pathlib.Path(self._tmp.name) / "game"
        if workdir == "game":
            shutil.copytree(GAME_DIR, self.dir)
        else:
            self.dir.mkdir()
            if callable(workdir):
                workdir(self.dir)
        self.env = dict(os.environ)
        # The program opens the audio device at start; tests play into SDL's silent driver
        # unless they choose one.
        self.env.setdefault("SDL_AUDIODRIVER", "dummy")
        for name, value in (env or {}).items():
            if value is None:
                self.env.pop(name, None)
            else:
                self.env[name] = value
        self.process = None
        self._stderr = []
        self._reader = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.close()

    def start(self):
        self.process = subprocess.Popen([self.binary, *self.args], cwd=self.dir, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE)
        self._reader = threading.Thread(target=self._read_stderr, daemon=True)
        self._reader.start()

    def close(self):
        """Kills the program if it still runs and removes the working directory."""
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        if self._reader:
            self._reader.join(timeout=5)
            self.process.stderr.close()
        self._tmp.cleanup()

    def _read_stderr(self):
        for raw in self.process.stderr:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            self._stderr.append(line)
            sys.stderr.write(f"  [tarnwick] {line}\n")

    # The program's end and its standard error.

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """The exit code, once the program has ended; an end that found pictures alive fails."""
        try:
            code = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"program still running after {timeout} s") from None
        self._reader.join(timeout=5)
        if BUFFERS_ALIVE in self.messages():
            raise AssertionError(f"the display found pictures alive: {self._stderr}")
        return code

    def stderr_lines(self):
        return list(self._stderr)

    def said(self):
        """Every line of standard error, without the prefix."""
        return [line[len(MESSAGE_PREFIX):] for line in self._stderr
                if line.startswith(MESSAGE_PREFIX)]

    def messages(self):
        """The texts of the message boxes shown so far, in order."""
        return [line for line in self.said() if not FINDING.match(line)]

    def findings(self):
        """What the program said about the content, in the check's form, and the check hint."""
        return [line for line in self.said() if FINDING.match(line)]

    def wait_message(self, text, timeout=DEFAULT_TIMEOUT):
        """Waits for a message box text on standard error (its line breaks become spaces)."""
        wanted = text.replace("\n", " ")
        wait_until(lambda: wanted in self.messages(), timeout, f"message {wanted!r}")

    # Windows.

    def windows(self, title=None, kind=None):
        """The program's visible top-level windows, optionally of one title and kind.

        kind is "dialog" (the configuration dialog and message boxes) or "normal" (the play
        window), from the window manager's window type.
        """
        found = []
        for line in run("xwininfo", "-root", "-tree").splitlines():
            match = _TREE_LINE.match(line)
            if not match or (title is not None and match.group(2) != title):
                continue
            wid = match.group(1)
            info = run("xwininfo", "-id", wid)
            if "Map State: IsViewable" not in info:
                continue
            props = run("xprop", "-id", wid, "_NET_WM_PID", "_NET_WM_WINDOW_TYPE")
            pid = re.search(r"_NET_WM_PID\(CARDINAL\) = (\d+)", props)
            if not pid or int(pid.group(1)) != self.process.pid:
                continue
            window_kind = "dialog" if "_NET_WM_WINDOW_TYPE_DIALOG" in props else "normal"
            if kind is not None and window_kind != kind:
                continue
            x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
            y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
            found.append(Window(wid, match.group(2), x, y, int(match.group(3)),
                                int(match.group(4)), window_kind))
        return found

    def wait_window(self, title, kind=None, timeout=DEFAULT_TIMEOUT):
        """The first visible window of that title (and kind) once it is there."""
        found = wait_until(lambda: self._alive_or_fail() and self.windows(title, kind), timeout,
                           f"window {title!r}")
        return found[0]

    def wait_gone(self, window, timeout=DEFAULT_TIMEOUT):
        wait_until(lambda: all(w.id != window.id for w in self.windows()), timeout,
                   f"{window} to close")

    def _alive_or_fail(self):
        if not self.running():
            raise AssertionError(f"program ended with {self.process.returncode} "
                                 f"while a window was awaited; stderr: {self._stderr}")
        return True

    def frame(self, window):
        """The window with its frame, as (x, y, width, height), from the frame extents."""
        props = run("xprop", "-id", window.id, "_NET_FRAME_EXTENTS")
        match = re.search(r"= (\d+), (\d+), (\d+), (\d+)", props)
        left, right, top, bottom = map(int, match.groups()) if match else (0, 0, 0, 0)
        return (window.x - left, window.y - top, window.width + left + right,
                window.height + top + bottom)

    # Input. Keys go to the focused window, so the window is activated first.

    def activate(self, window, timeout=DEFAULT_TIMEOUT):
        """Asks the window manager to activate the window until it has: a request that meets
        it busy may pass unanswered."""
        deadline = time.monotonic() + timeout
        while True:
            run("xdotool", "windowactivate", window.id)
            try:
                return self.wait_focused(window, 1.0)
            except Timeout:
                if time.monotonic() > deadline:
                    raise

    def wait_focused(self, window, timeout=DEFAULT_TIMEOUT):
        """Waits until the window manager has given the window the focus."""
        wanted = int(window.id, 16)
        wait_until(lambda: run("xdotool", "getactivewindow").strip() == str(wanted), timeout,
                   f"{window} to be active")

    def key(self, window, *keys):
        """Presses keys (xdotool names: Return, Escape, Tab, ctrl+a) in the window."""
        self.activate(window)
        run("xdotool", "key", "--delay", "30", *keys)

    def type(self, window, text):
        self.activate(window)
        run("xdotool", "type", "--delay", "30", text)

    def click(self, window, x, y, button=1):
        """Clicks at client-relative pixels of the window."""
        x, y = window.x + x, window.y + y
        # mousemove --sync would wait for ever when the pointer is already there.
        run("xdotool", "mousemove", str(x), str(y))
        wait_until(lambda: run("xdotool", "getmouselocation").startswith(f"x:{x} y:{y} "),
                   what=f"the pointer to reach {x},{y}")
        run("xdotool", "click", str(button))

    def close_box(self, window):
        """The title bar's close button, as the window manager sends it."""
        run("wmctrl", "-i", "-c", window.id)

    def dismiss_box(self, timeout=DEFAULT_TIMEOUT):
        """Waits for a message box, presses Enter on it (its OK) and waits until it is gone."""
        box = self.wait_window(BOX_TITLE, kind="dialog", timeout=timeout)
        self.key(box, "Return")
        self.wait_gone(box, timeout)
        return box

    def stays(self, window, seconds=0.7):
        """True when the window is still shown and the program running after a while."""
        time.sleep(seconds)
        return self.running() and any(w.id == window.id for w in self.windows())


class OtherWindow:
    """Another program's window (xmessage) at a given place and size, shown until close()."""

    def __init__(self, geometry):
        self.process = subprocess.Popen(["xmessage", "-geometry", geometry, "another window"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.id = wait_until(lambda: run("xdotool", "search", "--onlyvisible", "--class",
                                         "Xmessage").split(), what="the other window")[0]

    def activate(self):
        run("xdotool", "windowactivate", self.id)
        wait_until(lambda: run("xdotool", "getactivewindow").strip() == self.id,
                   what="the other window to be active")

    def close(self):
        self.process.kill()
        self.process.wait()


def main():
    """Runs the calling script's unittest cases with the binary taken from the command line."""
    if len(sys.argv) < 2:
        sys.exit(f"usage: {sys.argv[0]} <path-of-tarnwick>")
    if not os.environ.get("DISPLAY"):
        sys.exit("DISPLAY is not set: run under tools/with-display.sh")
    TestCase.binary = sys.argv[1]
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


class TestCase(unittest.TestCase):
    """Base of the end-to-end cases: self.start() runs the program and closes it afterwards."""

    binary = None

    def start(self, workdir="game", env=None, args=()):
        program = Program(self.binary, workdir, env, args)
        self.addCleanup(program.close)
        program.start()
        return program

    def private_display(self, screen="1024x768x24"):
        """A display of its own with a window manager, the test's DISPLAY until cleanup."""
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                   screen, "-nolisten", "tcp"], pass_fds=(write,),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        self.addCleanup(lambda: server.poll() is None and (server.kill(), server.wait()))
        self.addCleanup(os.environ.__setitem__, "DISPLAY", os.environ["DISPLAY"])
        os.environ["DISPLAY"] = f":{number}"
        manager = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (manager.kill(), manager.wait()))
        # Openbox takes seconds to answer on a machine busy with other work.
        wait_until(lambda: "Openbox" in run("wmctrl", "-m"), 30, "the window manager")
        return server

    def session_bus(self):
        """A D-Bus session bus of its own, on which programs find the accessibility bus: the
        environment that puts a program on it."""
        # Without DISPLAY the accessibility bus leaves no address on the root window, where
        # the programs of later tests would find it after this bus has gone.
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                               start_new_session=True,
                               env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
        # The accessibility services it starts on demand share its process group.
        self.addCleanup(lambda: (os.killpg(bus.pid, 9), bus.wait(), bus.stdout.close()))
        return {"DBUS_SESSION_BUS_ADDRESS": bus.stdout.readline().strip()}

    def nested_wayland(self, width=800, height=600, scale=1):
        """Weston (X11 backend, so that it finds a seat) in the test's display: the environment
        that gives a program only weston's Wayland display, and weston's output as a Window;
        weston's process is self.compositor."""
        runtime = tempfile.TemporaryDirectory(prefix="tarnwick-weston-")
        self.addCleanup(runtime.cleanup)
        weston = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--idle-time=0", f"--width={width}",
             f"--height={height}", f"--scale={scale}", "--socket=tarnwick-test"],
            env={**os.environ, "XDG_RUNTIME_DIR": runtime.name}, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: weston.poll() is None and (weston.terminate(), weston.wait()))
        self.compositor = weston
        socket = pathlib.Path(runtime.name) / "tarnwick-test"
        wid = wait_until(lambda: socket.exists() and re.search(
            r'(0x[0-9a-f]+) "Weston Compositor', run("xwininfo", "-root", "-tree")),
            what="weston's window").group(1)

        def corner():
            info = run("xwininfo", "-id", wid)
            return "IsViewable" in info and tuple(
                int(re.search(rf"Absolute upper-left {axis}:\s+(-?\d+)", info).group(1))
                for axis in "XY")
        x, y = settled(corner, "weston's window placed")
        # Weston follows the X pointer from the events of its window: the pointer enters it
        # anew, so that weston knows where it is before the first click.
        run("xdotool", "mousemove", "0", "0")
        time.sleep(0.2)
        run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
        time.sleep(0.2)
        env = {"DISPLAY": None, "WAYLAND_DISPLAY": "tarnwick-test",
               "XDG_RUNTIME_DIR": runtime.name, "GDK_BACKEND": None, "SDL_VIDEODRIVER": None}
        return env, Window(wid, "weston", x, y, width * scale, height * scale, "normal")


def find(image, pixels):
    """The screen position of the first run of the given RGB pixels in the image, or None."""
    row_bytes = image.width * 3
    wanted = b"".join(bytes(rgb) for rgb in pixels)
    offset = image.data.find(wanted)
    while offset >= 0 and offset % 3:
        offset = image.data.find(wanted, offset + 1)
    return None if offset < 0 else ((offset % row_bytes) // 3, offset // row_bytes)
