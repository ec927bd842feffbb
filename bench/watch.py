"""The real program run with --watch on a copy of the sample game, inside a private Xvfb with a
window manager.

    python3 bench/watch.py latency build/tarnwick [--saves 24] [--json]
    nice python3 bench/watch.py soak build/tarnwick [--saves 1000] [--seed N]

latency: the board's background saved anew (a new file renamed over the old one, as editors
save) to the first frame on screen that shows it, over alternately inverted and original
pictures; and the share of a core that the program and the X server use while nothing is saved.

The frame rate kept while a file in the game folder is written every 20 ms is measured inside
one process, on the program's own frame loop and watch, by bench/watch_frames.cpp.

soak: saves of random mutations of the content files (a fuzz corpus entry, a truncation, random
bytes flipped, garbage, a file or a folder removed, half a file written and finished later,
the original put back), in bursts and one by one. The program must never end; its resident
memory must stay within 5 MB of its level after the first 100 saves (in a release build: a
sanitizer build keeps freed memory aside) and its descriptors flat;
after the last save, which puts every original back, the screen must show the game as at start.
`make soak` runs it.
"""

import argparse
import json
import os
import pathlib
import random
import shutil
import statistics
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
REPO = HERE.parent
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(HERE))

import harness  # noqa: E402
from private_display import PrivateDisplay, cpu_seconds, resident_kib  # noqa: E402
from soak import Screen  # noqa: E402

ARGS = ["--windowed", "--depth", "24", "--watch"]
BACKGROUND = "images/Board.bmp"
# A point of the board where the background shows between the grid's lines.
PROBE = (17 + 43 * 4 + 20, 35 + 43 * 4 + 20)
RSS_TOLERANCE_KIB = 5 * 1024
CORPUS = REPO / "fuzz" / "corpus"


def inverted(bitmap):
    """The picture with every pixel byte inverted: a change no frame can miss."""
    offset = int.from_bytes(bitmap[10:14], "little")
    return bitmap[:offset] + bytes(255 - b for b in bitmap[offset:])


def save(path, data):
    """Saves as most editors do: a new file beside the old one, renamed over it."""
    temporary = path.with_name("." + path.name + ".saving")
    temporary.write_bytes(data)
    os.replace(temporary, path)


def start(binary):
    game = harness.Program(binary, args=ARGS)
    game.start()
    play = game.wait_window(harness.PLAY_TITLE, kind="normal")
    if game.windows(harness.CONFIG_TITLE):
        raise AssertionError("the configuration dialog was shown although answered")
    harness.run("xdotool", "mousemove", "1020", "760")
    return game, play


def latency(binary, saves):
    with PrivateDisplay() as display:
        game, play = start(binary)
        screen = Screen()
        try:
            path = game.dir / BACKGROUND
            versions = [path.read_bytes(), inverted(path.read_bytes())]
            x, y = play.x + PROBE[0], play.y + PROBE[1]
            harness.wait_until(lambda: screen.grab(x, y, 1, 1) != b"\0\0\0\0",
                               what="the board to be drawn")
            times = []
            for i in range(saves):
                time.sleep(0.3)
                before = screen.grab(x, y, 1, 1)
                started = time.monotonic()
                save(path, versions[(i + 1) % 2])
                while screen.grab(x, y, 1, 1) == before:
                    if time.monotonic() - started > 5:
                        raise AssertionError(f"save {i + 1} not on screen after 5 s")
                    time.sleep(0.001)
                times.append(1000 * (time.monotonic() - started))
            time.sleep(2.5)
            program, server = cpu_seconds(game.process.pid), cpu_seconds(display.server_pid)
            began = time.monotonic()
            time.sleep(10)
            elapsed = time.monotonic() - began
            idle_program = 100 * (cpu_seconds(game.process.pid) - program) / elapsed
            idle_server = 100 * (cpu_seconds(display.server_pid) - server) / elapsed
            game.key(play, "F12")
            if game.wait_exit() != 0:
                raise AssertionError("the program did not end with 0")
        finally:
            screen.close()
            game.close()
    times.sort()
    return {"saves": saves, "median_ms": statistics.median(times),
            "p95_ms": times[min(len(times) - 1, int(round(0.95 * (len(times) - 1))))],
            "idle_program_percent": idle_program, "idle_server_percent": idle_server}


class Mutator:
    """Random saves to the content files of a game folder, and the originals to put back."""

    def __init__(self, folder, rng):
        self.folder, self.rng = folder, rng
        self.originals = {p.relative_to(folder): p.read_bytes()
                          for p in sorted(folder.rglob("*")) if p.is_file()}
        self.files = sorted(self.originals)
        self.pictures = sorted((CORPUS / "fuzz_bitmap").iterdir())
        self.sections = sorted((CORPUS / "fuzz_section_reader").iterdir())
        self.unfinished = []

    def mutated(self, name):
        data = self.originals[name]
        kind = self.rng.choices(["corpus", "truncated", "flipped", "garbage", "original"],
                                weights=[2, 1, 2, 1, 4])[0]
        if kind == "corpus":
            pool = self.pictures if name.suffix == ".bmp" else self.sections
            return self.rng.choice(pool).read_bytes()
        if kind == "truncated":
            return data[:self.rng.randrange(len(data) + 1)]
        if kind == "flipped":
            changed = bytearray(data)
            for _ in range(self.rng.randrange(1, 9)):
                if changed:
                    changed[self.rng.randrange(len(changed))] = self.rng.randrange(256)
            return bytes(changed)
        if kind == "garbage":
            return self.rng.randbytes(self.rng.randrange(1, 4096))
        return data

    def save_one(self):
        name = self.rng.choice(self.files)
        path = self.folder / name
        way = self.rng.choices(["rename", "in place", "remove", "folder", "half"],
                               weights=[6, 3, 1, 0.3, 1])[0]
        path.parent.mkdir(parents=True, exist_ok=True)
        if way == "rename":
            save(path, self.mutated(name))
        elif way == "in place":
            path.write_bytes(self.mutated(name))
        elif way == "remove":
            path.unlink(missing_ok=True)
        elif way == "folder":
            shutil.rmtree(path.parent, ignore_errors=True)
            self.unfinished.append(path.parent)
        else:
            data = self.mutated(name)
            handle = open(path, "wb")
            handle.write(data[:len(data) // 2])
            handle.flush()
            self.unfinished.append((handle, data[len(data) // 2:]))
        # Now and then every file is put back, so that good saves come between broken ones.
        if self.rng.random() < 0.03:
            self.finish()
        # Half-written files are finished and removed folders restored a few saves later.
        if self.unfinished and self.rng.random() < 0.3:
            item = self.unfinished.pop(0)
            if isinstance(item, tuple):
                item[0].write(item[1])
                item[0].close()
            else:
                self.restore(lambda p, item=item: item in p.parents)

    def restore(self, which=lambda p: True):
        for name, data in self.originals.items():
            path = self.folder / name
            if which(path):
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_bytes(data)

    def finish(self):
        for item in self.unfinished:
            if isinstance(item, tuple):
                item[0].close()
        self.unfinished = []
        self.restore()


def sample(pid):
    return resident_kib(pid), len(os.listdir(f"/proc/{pid}/fd"))


def soak(binary, saves, seed):
    rng = random.Random(seed)
    failure = None
    samples = []
    with PrivateDisplay():
        game, play = start(binary)
        screen = Screen()
        area = (play.x, play.y + 30, 640, 450)
        try:
            harness.wait_until(lambda: game.running() and screen.grab(
                play.x + PROBE[0], play.y + PROBE[1], 1, 1) != b"\0\0\0\0",
                what="the board to be drawn")
            time.sleep(0.5)
            first = screen.grab(*area)
            mutator = Mutator(game.dir, rng)
            for count in range(1, saves + 1):
                mutator.save_one()
                # Now one by one, now in a burst.
                time.sleep(rng.choice([0, 0, 0.005, 0.05, 0.1]))
                if not game.running():
                    raise AssertionError(f"the program ended after {count} saves")
                if count % 10 == 0:
                    samples.append((count, *sample(game.process.pid)))
            mutator.finish()
            harness.wait_until(lambda: screen.grab(*area) == first, timeout=10,
                               what="the screen to show the game as at start")
            samples.append((saves, *sample(game.process.pid)))
            game.key(play, "F12")
            code = game.wait_exit()
            if code != 0:
                failure = f"exit code {code}"
        except (AssertionError, harness.Timeout) as error:
            failure = str(error)
        finally:
            screen.close()
            game.close()
    settled = [s for s in samples if s[0] >= 100]
    print(f"watch soak: {saves} saves, seed {seed}")
    if settled:
        base_rss, base_fds = settled[0][1], settled[0][2]
        top_rss = max(s[1] for s in settled)
        top_fds = max(s[2] for s in settled)
        print(f"  RSS after 100 saves {base_rss} KiB, highest after {top_rss} KiB, at end "
              f"{settled[-1][1]} KiB")
        print(f"  open fds after 100 saves {base_fds}, highest after {top_fds}, at end "
              f"{settled[-1][2]}")
        if failure is None and top_rss - base_rss > RSS_TOLERANCE_KIB:
            failure = f"resident memory grew by {top_rss - base_rss} KiB"
        # A sample taken during a reload counts the files it has open at that moment.
        elif failure is None and settled[-1][2] > base_fds:
            failure = f"open file descriptors grew from {base_fds} to {settled[-1][2]}"
    elif failure is None:
        failure = "too few samples"
    print("watch soak: " + ("passed" if failure is None else "FAILED: " + failure))
    return failure is None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("what", choices=["latency", "soak"])
    parser.add_argument("binary", nargs="?", default=str(REPO / "build" / "tarnwick"))
    parser.add_argument("--saves", type=int, default=None)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    if args.what == "soak":
        seed = args.seed if args.seed is not None else random.randrange(1 << 31)
        sys.exit(0 if soak(args.binary, args.saves or 1000, seed) else 1)
    result = latency(args.binary, args.saves or 24)
    if args.json:
        print(json.dumps(result))
    else:
        print(f"picture saved to frame on screen: median {result['median_ms']:.0f} ms, p95 "
              f"{result['p95_ms']:.0f} ms over {result['saves']} saves; idle with --watch: "
              f"program {result['idle_program_percent']:.2f} %, X server "
              f"{result['idle_server_percent']:.2f} %")


if __name__ == "__main__":
    main()
