"""Soak: the real program plays the sample game for a long time at 60 frames a second under
random mouse input, inside a private Xvfb with a window manager, while its resident memory and
open file descriptors are sampled from /proc.

    nice python3 bench/soak.py [--minutes 30] [--seed N] [build/tarnwick]

The input selects, previews, turns, places and lifts characters, tries blocked placements,
releases presses outside the window, and now and then gives the focus to another window
(xmessage) and takes it back. The run fails when memory or descriptors grow after the warm-up,
when a pointer move over the board with a character selected does not change the screen within
1 s while the window is active, or when the program ends before F12.
"""

import argparse
import ctypes
import ctypes.util
import os
import pathlib
import random
import statistics
import subprocess
import sys
import threading
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402

SAMPLE_SECONDS = 5.0
RESPONSE_LIMIT = 1.0
# Growth of the resident set tolerated between the first and the last quarter of the samples
# taken after the warm-up: allocator noise, not a leak (a leak of 100 bytes a frame is 10 MiB
# over 30 minutes).
RSS_TOLERANCE_KIB = 1024
CHARACTERS = 5
# The sound goes to SDL's disk driver and from there nowhere, so that the mixer really plays.
AUDIO = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/null"}


def square_centre(column, row):
    return 17 + 43 * column + 20, 35 + 43 * row + 20


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class XImage(ctypes.Structure):
    """The leading fields of Xlib's XImage, up to the pixel layout."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Screen:
    """Reads a rectangle of the X screen through Xlib in a few milliseconds, where a screenshot
    tool takes a tenth of a second or more on a loaded machine: fast enough to time a change."""

    Z_PIXMAP, ALL_PLANES = 2, 0xFFFFFFFF

    def __init__(self):
        xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XGetImage.restype = ctypes.POINTER(XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xlib = xlib
        self.display = xlib.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display")
        self.root = xlib.XDefaultRootWindow(self.display)

    def grab(self, x, y, width, height):
        """The raw pixels of the rectangle, as bytes."""
        image = self.xlib.XGetImage(self.display, self.root, x, y, width, height,
                                    self.ALL_PLANES, self.Z_PIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        data = ctypes.string_at(image.contents.data,
                                image.contents.bytes_per_line * image.contents.height)
        self.xlib.XFree(image.contents.data)
        self.xlib.XFree(image)
        return data

    def close(self):
        self.xlib.XCloseDisplay(self.display)


class Sampler(threading.Thread):
    """Reads the program's resident set (KiB) and descriptor count every few seconds."""

    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.samples, self.stop = pid, [], threading.Event()

    def take(self):
        status = pathlib.Path(f"/proc/{self.pid}/status").read_text()
        rss = next(int(line.split()[1]) for line in status.splitlines()
                   if line.startswith("VmRSS:"))
        fds = len(os.listdir(f"/proc/{self.pid}/fd"))
        self.samples.append((time.monotonic(), rss, fds))

    def run(self):
        while not self.stop.is_set():
            try:
                self.take()
            except (OSError, StopIteration):
                return
            self.stop.wait(SAMPLE_SECONDS)


class Soak:
    def __init__(self, game, play, rng, screen):
        self.game, self.play, self.rng, self.screen = game, play, rng, screen
        self.events = 0
        self.responses = []
        self.inactive_cpu = []
        self.focus_changes = 0
        self.focus_lost = 0

    # Input, each xdotool step counted as one event.

    def xdotool(self, *steps):
        harness.run("xdotool", *steps)
        self.events += sum(step in ("mousemove", "click", "mousedown", "mouseup")
                           for step in steps)

    def at(self, x, y):
        return str(self.play.x + x), str(self.play.y + y)

    def move(self, x, y):
        self.xdotool("mousemove", *self.at(x, y))

    def click(self, x, y, button=1):
        self.xdotool("mousemove", *self.at(x, y), "click", str(button))

    def select(self, character):
        self.click(555, 280 + 40 * character)

    def random_square(self):
        return square_centre(self.rng.randrange(10), self.rng.randrange(10))

    def alive(self):
        if not self.game.running():
            raise AssertionError(f"the program ended with {self.game.process.returncode}")

    # The random actions of a player.

    def preview(self):
        for _ in range(self.rng.randrange(1, 6)):
            self.move(*self.random_square())

    def turn(self):
        self.click(*self.random_square(), button=3)

    def place(self):
        self.click(*self.random_square())

    def select_random(self):
        self.select(self.rng.randrange(CHARACTERS))

    def blocked(self):
        first, second = self.rng.sample(range(CHARACTERS), 2)
        square = self.random_square()
        self.select(first)
        self.click(*square)
        self.select(second)
        self.click(*square)

    def released_outside(self):
        x, y = self.at(555, 280 + 40 * self.rng.randrange(CHARACTERS))
        outside = self.play.width + self.rng.randrange(10, 200)
        self.xdotool("mousemove", x, y, "mousedown", "1", "mousemove",
                     *self.at(outside, self.rng.randrange(0, self.play.height)), "mouseup", "1")

    def panel(self):
        for _ in range(self.rng.randrange(1, 4)):
            self.move(self.rng.randrange(460, 640), self.rng.randrange(0, 480))

    def focus_away(self):
        """Another window takes the focus for a while; the program's CPU time meanwhile is kept."""
        other = subprocess.Popen(["xmessage", "-geometry", "+120+120", "Focus taken by the soak"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = harness.wait_until(
                lambda: harness.run("xdotool", "search", "--onlyvisible", "--class",
                                    "Xmessage").split(),
                what="the xmessage window")[0]
            harness.run("xdotool", "windowactivate", window)
            harness.wait_until(lambda: harness.run("xdotool", "getactivewindow").strip()
                               == window, what="xmessage to be active")
            self.focus_changes += 1
            time.sleep(0.5)
            start = cpu_seconds(self.game.process.pid)
            seconds = self.rng.uniform(2, 5)
            time.sleep(seconds)
            self.inactive_cpu.append((cpu_seconds(self.game.process.pid) - start) / seconds)
        finally:
            other.kill()
            other.wait()
        self.game.activate(self.play)
        self.focus_changes += 1
        self.respond()

    # The program answers: a move with a character selected changes the screen within 1 s.

    def board_shot(self):
        return self.screen.grab(self.play.x + 17, self.play.y + 35, 430, 430)

    def active(self):
        return harness.run("xdotool", "getactivewindow").strip() == str(int(self.play.id, 16))

    def respond(self):
        # The answer is owed only while the window is active; a focus lost to anything but
        # focus_away is counted, and the focus taken back.
        if not self.active():
            self.focus_lost += 1
            self.game.activate(self.play)
        self.select_random()
        first, second = (square_centre(2, 2), square_centre(7, 7))
        if self.rng.random() < 0.5:
            first, second = second, first
        self.move(*first)
        time.sleep(0.2)
        before = self.board_shot()
        start = time.monotonic()
        self.move(*second)
        # Waits well past the limit, so that a slow answer is measured rather than cut off.
        while self.board_shot() == before:
            if time.monotonic() - start > 10 * RESPONSE_LIMIT:
                self.alive()
                pid = self.game.process.pid
                cpu = cpu_seconds(pid)
                time.sleep(1)
                state = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
                raise AssertionError(
                    f"no change on screen 10 s after a pointer move (window active: "
                    f"{self.active()}, process state {state}, "
                    f"{cpu_seconds(pid) - cpu:.3f} s of CPU in the next second, "
                    f"{self.diagnose(first, second)})")
            time.sleep(0.002)
        waited = time.monotonic() - start
        self.responses.append(waited)
        if waited > RESPONSE_LIMIT:
            raise AssertionError(f"the screen changed only {waited:.2f} s after a pointer move")

    def diagnose(self, first, second):
        """What else is seen when the screen does not answer: where the window is now, a
        screenshot, and whether the pointer leaving and entering the window again helps."""
        now = self.game.windows(harness.PLAY_TITLE, "normal")
        shot = pathlib.Path.cwd() / "soak-failure.png"
        subprocess.run(["import", "-window", "root", str(shot)], timeout=30, check=False)
        pointer = harness.run("xdotool", "getmouselocation").strip()
        self.move(self.play.width + 50, 100)
        time.sleep(0.2)
        self.move(*first)
        time.sleep(0.5)
        before = self.board_shot()
        self.move(*second)
        time.sleep(1)
        return (f"window {now} was {self.play}, pointer {pointer}, screenshot {shot}, "
                f"answers after leaving and entering: {self.board_shot() != before}")

    def warm_up(self):
        """One of each action, so that the sound, the text and every picture are in use."""
        self.select(4)
        self.move(*square_centre(0, 0))
        self.turn()
        self.blocked()
        self.released_outside()
        self.focus_away()

    def step(self):
        action = self.rng.choices(
            [self.preview, self.turn, self.place, self.select_random, self.blocked,
             self.released_outside, self.panel, self.respond, self.focus_away],
            weights=[6, 2, 3, 4, 1, 1, 2, 1, 0.3])[0]
        action()


def growth(samples):
    """RSS (KiB) and descriptor growth from the first to the last quarter of the samples."""
    quarter = max(1, len(samples) // 4)
    rss = [s[1] for s in samples]
    fds = [s[2] for s in samples]
    return (statistics.median(rss[-quarter:]) - statistics.median(rss[:quarter]),
            max(fds[-quarter:]) - max(fds[:quarter]))


def soak(binary, minutes, seed):
    rng = random.Random(seed)
    failure = None
    with harness.Program(binary, env=AUDIO) as game:
        dialog = game.wait_window(harness.CONFIG_TITLE, kind="dialog")
        game.key(dialog, "Return")
        play = game.wait_window(harness.PLAY_TITLE, kind="normal")
        sampler = Sampler(game.process.pid)
        sampler.start()
        run = Soak(game, play, rng, Screen())
        started = time.monotonic()
        end = started + minutes * 60
        # Warm-up: a fifth of the run, at most two minutes, after one of each action.
        warm_until = started + min(120.0, minutes * 12)
        try:
            run.warm_up()
            while time.monotonic() < end:
                run.step()
                run.alive()
            run.respond()
            cpu = cpu_seconds(game.process.pid)
            game.key(play, "F12")
            code = game.wait_exit()
            if code != 0:
                failure = f"exit code {code}"
        except AssertionError as error:
            failure = str(error)
            cpu = None
        sampler.stop.set()
        sampler.join()
        run.screen.close()

    samples = sampler.samples
    settled = [s for s in samples if s[0] >= warm_until]
    print(f"soak: {minutes:g} min, seed {seed}, {len(samples)} samples every "
          f"{SAMPLE_SECONDS:g} s, warm-up {warm_until - started:.0f} s")
    if samples:
        print(f"  RSS: {samples[0][1]} KiB at start, {settled[0][1] if settled else '-'} KiB "
              f"after warm-up, {samples[-1][1]} KiB at end, max {max(s[1] for s in samples)} KiB")
        print(f"  open fds: {samples[0][2]} at start, {settled[0][2] if settled else '-'} after "
              f"warm-up, {samples[-1][2]} at end, max {max(s[2] for s in samples)}")
    if run.responses:
        print(f"  response to a pointer move: {len(run.responses)} probes, median "
              f"{1000 * statistics.median(run.responses):.0f} ms, max "
              f"{1000 * max(run.responses):.0f} ms")
    print(f"  input events sent: {run.events}, focus taken and given back "
          f"{run.focus_changes // 2} times, found lost otherwise {run.focus_lost} times")
    if run.inactive_cpu:
        print(f"  CPU while inactive: max {100 * max(run.inactive_cpu):.2f} % of a core")
    if cpu is not None:
        print(f"  program CPU time: {cpu:.1f} s over {time.monotonic() - started:.0f} s")
    if len(settled) >= 8:
        rss_growth, fd_growth = growth(settled)
        print(f"  after warm-up: RSS grew {rss_growth:+.0f} KiB, open fds {fd_growth:+d}")
        if failure is None and rss_growth > RSS_TOLERANCE_KIB:
            failure = f"resident memory grew by {rss_growth:.0f} KiB"
        elif failure is None and fd_growth > 0:
            failure = f"open file descriptors grew by {fd_growth}"
    elif failure is None:
        failure = "too few samples after the warm-up to judge growth"
    print("soak: " + ("passed" if failure is None else "FAILED: " + failure))
    return failure is None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("binary", nargs="?", default=str(REPO / "build" / "tarnwick"))
    parser.add_argument("--minutes", type=float, default=30.0)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    # A private display, whatever DISPLAY says: the soak moves the pointer and takes the focus.
    if os.environ.get("TARNWICK_SOAK_DISPLAY") != "1":
        env = dict(os.environ, TARNWICK_SOAK_DISPLAY="1")
        sys.exit(subprocess.call([str(REPO / "tools" / "with-display.sh"), sys.executable,
                                  __file__, *sys.argv[1:]], env=env))
    seed = args.seed if args.seed is not None else random.randrange(1 << 31)
    sys.exit(0 if soak(args.binary, args.minutes, seed) else 1)


if __name__ == "__main__":
    main()
