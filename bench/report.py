"""Runs every benchmark of a build and prints one table of figures, each with its goal and a
verdict, and the machine they were measured on. `make bench` runs it:
    python3 bench/report.py build
It starts its own Xvfb for the figures that need a display, and takes a few minutes.
"""

import datetime
import json
import os
import pathlib
import platform
import subprocess
import sys

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(HERE))

from private_display import PrivateDisplay  # noqa: E402


def run_json(command, env=None):
    """Runs a program that prints its figures as JSON and returns them parsed."""
    result = subprocess.run(command, capture_output=True, text=True, cwd=ROOT, check=True,
                            env={**os.environ, "TARNWICK_SOURCE_DIR": str(ROOT), **(env or {})})
    return json.loads(result.stdout)


def google_benchmark(program, pattern, repetitions=5):
    """Median CPU time in microseconds, bytes per second and user counters of each benchmark
    matching pattern."""
    data = run_json([program, f"--benchmark_filter={pattern}", "--benchmark_format=json",
                     f"--benchmark_repetitions={repetitions}",
                     "--benchmark_report_aggregates_only=true"])
    figures = {}
    for entry in data["benchmarks"]:
        if entry.get("aggregate_name") in (None, "median"):
            name = entry.get("run_name", entry["name"])
            scale = {"ns": 1e-3, "us": 1, "ms": 1e3}[entry.get("time_unit", "ns")]
            figures[name] = {**entry, "us": entry["cpu_time"] * scale}
    return figures


def machine():
    model = "unknown CPU"
    for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    memory = int(pathlib.Path("/proc/meminfo").read_text().split()[1]) // (1024 * 1024)
    return (f"{model}, {os.cpu_count()} cores, {memory} GiB, Linux {platform.release()}, "
            f"{datetime.date.today().isoformat()}")


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, measured, goal="", ok=None):
        verdict = "" if ok is None else ("met" if ok else "MISSED")
        self.rows.append((figure, measured, goal, verdict))

    def print(self):
        header = ("Figure", "Measured", "Goal", "Verdict")
        widths = [max(len(row[i]) for row in self.rows + [header]) for i in range(4)]
        line = lambda row: "| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |"
        print(line(header))
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        for row in self.rows:
            print(line(row))


def main():
    build = ROOT / (sys.argv[1] if len(sys.argv) > 1 else "build")
    table = Table()

    idle = subprocess.run(["python3", str(HERE / "idle_cpu.py"), str(build / "tarnwick"), "--json"],
                          capture_output=True, text=True, cwd=ROOT, check=True).stdout
    resident = 0.0
    for r in json.loads(idle):
        together = r["program_percent"] + r["server_percent"]
        table.add(f"Idle play screen, {r['mode']}, {r['depth']} bits, 60 fps",
                  f"program {r['program_percent']:.2f} % + X server {r['server_percent']:.2f} %",
                  "<= 1 % of a core together", together <= 1.0)
        if r["mode"] == "windowed" and r["depth"] == 24:
            resident = r["resident_kib"] / 1024

    watched = json.loads(subprocess.run(
        ["python3", str(HERE / "watch.py"), "latency", str(build / "tarnwick"), "--json"],
        capture_output=True, text=True, cwd=ROOT, check=True).stdout)
    watched_idle = watched["idle_program_percent"] + watched["idle_server_percent"]
    table.add("Idle play screen, windowed, 24 bits, 60 fps, --watch",
              f"program {watched['idle_program_percent']:.2f} % + X server "
              f"{watched['idle_server_percent']:.2f} %", "<= 1 % of a core together",
              watched_idle <= 1.0)

    with PrivateDisplay():
        pacing = run_json([str(build / "frame_pacing"), "--json"],
                          {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": os.devnull})
        default_sound = run_json([str(build / "frame_pacing"), "--json"])
        inside = run_json([str(build / "first_frame"), "--json"], {"SDL_AUDIODRIVER": "dummy"})
        written = run_json([str(build / "watch_frames"), "--json"], {"SDL_AUDIODRIVER": "dummy"})
        present = google_benchmark(str(build / "bench_display"), "Present (640x480 window|full)")
    with PrivateDisplay("3840x2160x24"):
        scaled = google_benchmark(str(build / "bench_display"), "Present (at scale|full screen sh)")
    launch = json.loads(subprocess.run(
        ["python3", str(HERE / "dialog_launch.py"), str(build), "--json"],
        capture_output=True, text=True, cwd=ROOT, check=True).stdout)
    frame = google_benchmark(str(build / "bench_frame"), "RenderFrameAgainstCopy", 10)
    reader = google_benchmark(str(build / "bench_section_reader"), "ScanSectionFile")
    outside = json.loads(subprocess.run(
        ["python3", str(HERE / "first_frame.py"), str(build / "tarnwick"), "--json"],
        capture_output=True, text=True, cwd=ROOT, check=True).stdout)
    focus = json.loads(subprocess.run(
        ["python3", str(HERE / "focus_after_start.py"), str(build / "tarnwick"), "--json"],
        capture_output=True, text=True, cwd=ROOT, check=True).stdout)

    table.add("Frame lateness, pointer moving, median", f"{pacing['lateness_p50_ms']:.3f} ms",
              "<= 0.2 ms", pacing["lateness_p50_ms"] <= 0.2)
    table.add("Frame lateness, pointer moving, p99", f"{pacing['lateness_p99_ms']:.3f} ms",
              "<= 1 ms", pacing["lateness_p99_ms"] <= 1.0)
    table.add("Bare sleep to a deadline, p99 (this machine's floor)",
              f"{pacing['bare_p99_ms']:.3f} ms (median {pacing['bare_p50_ms']:.3f} ms)")
    table.add("Longest pause of a thread spinning to a deadline, p99 (the floor with a core "
              "burning)", f"{pacing['busy_pause_p99_ms']:.3f} ms")
    table.add("Changed frames not shown", f"{pacing['unshown']} of {pacing['changed']}", "0",
              pacing["unshown"] == 0)
    # Input comes at any point of a frame period and waits for the next frame's deadline.
    for event, name in (("key", "Key press"), ("pointer", "Pointer move")):
        for share, goal in (("p50", 1), ("p95", 2)):
            figure = pacing[f"{event}_{share}_ms"]
            table.add(f"{name} to the frame that shows it, {'median' if share == 'p50' else 'p95'}"
                      f" of {pacing['presses']}", f"{figure:.1f} ms",
                      f"<= {goal} frame period{'s' if goal > 1 else ''}",
                      figure <= goal * pacing["period_ms"])
    for depth in (16, 24, 32):
        composed = frame[f"BM_RenderFrameAgainstCopy/{depth}"]["compose_us"]
        copied = frame[f"BM_RenderFrameAgainstCopy/{depth}"]["copy_us"]
        table.add(f"RenderFrame, {depth} bits, against memcpy of the frame",
                  f"{composed:.1f} us / {copied:.1f} us = {composed / copied:.2f}x", "<= 2x",
                  composed / copied <= 2.0)
    # A window always has the desktop's format, whatever the depth; full screen has the depth.
    table.add("Present, windowed 640x480 (the desktop's format)",
              f"{present['Present 640x480 window surface 32']['us']:.0f} us")
    for depth in (16, 24, 32):
        table.add(f"Present, full screen, {depth} bits, scaled to 1024x768",
                  f"{present[f'Present full screen, scaled {depth}']['us']:.0f} us")
    # The X server and the GL driver's threads do part of a present's work: wall time beside
    # the program's own CPU time.
    for name, figures in sorted(scaled.items()):
        wall = figures["real_time"] * {"ns": 1e-3, "us": 1, "ms": 1e3}[figures["time_unit"]]
        table.add(f"{name}, 32 bits, on 3840x2160 ({figures.get('label', '')})",
                  f"{figures['us']:.0f} us CPU, {wall:.0f} us wall")
    ratio = launch["ours_ms"] / launch["minimal_ms"]
    table.add(f"Launch to dialog mapped (X map notification), Tarnwick and a minimal GTK dialog "
              f"(medians of {launch['runs']})",
              f"{launch['ours_ms']:.0f} ms / {launch['minimal_ms']:.0f} ms = {ratio:.2f}x",
              "<= 1.15x", ratio <= 1.15)
    for name, figures in sorted(reader.items()):
        speed = figures["bytes_per_second"] / 1e6
        layout = {"0": "LF", "1": "CR LF", "2": "unrecognised sections"}[name.rsplit(":", 1)[1]]
        table.add(f"Section reader, {layout}", f"{speed:.0f} MB/s", ">= 50 MB/s", speed >= 50)
    table.add("Start pressed to board on screen (outside, median of 10)",
              f"{outside['outside_ms']:.0f} ms", "<= 150 ms", outside["outside_ms"] <= 150)
    table.add("Dialog answered to first frame (inside, median of 10)",
              f"{inside['inside_ms']:.0f} ms", "<= 150 ms", inside["inside_ms"] <= 150)
    for desktop, median in focus.items():
        table.add(f"Enter on the dialog to the play window focused, {desktop} (median of 10)",
                  f"{median:.0f} ms", "<= 100 ms", median <= 100)
    for sound in (pacing, default_sound):
        periods = sound["first_sound_gap_ms"] / sound["period_ms"]
        driver = sound["audio"] if sound["audio"] != "none" else "default, no device here"
        table.add(f"Longest frame gap at the first warning, audio driver {driver}",
                  f"{sound['first_sound_gap_ms']:.1f} ms = {periods:.2f} frame periods",
                  "<= 2 frame periods", periods <= 2.0)
    table.add(f"Picture saved (renamed over) to frame on screen, --watch, median of "
              f"{watched['saves']}", f"{watched['median_ms']:.0f} ms", "<= 150 ms",
              watched["median_ms"] <= 150)
    table.add(f"Picture saved (renamed over) to frame on screen, --watch, p95 of "
              f"{watched['saves']}", f"{watched['p95_ms']:.0f} ms", "<= 300 ms",
              watched["p95_ms"] <= 300)
    for kind, what in (("log", "a log the game does not read appended"),
                       ("picture", "a picture of the game saved (renamed over)")):
        kept = written[f"{kind}_fps"] / written["cap"]
        table.add(f"Frame rate, --watch, {what} every 20 ms",
                  f"{written[f'{kind}_fps']:.1f} fps = {kept:.2f}x the cap, "
                  f"{written[f'{kind}_reloads']} reloads in {written['seconds']:.0f} s",
                  ">= 0.9x the cap", kept >= 0.9)
    table.add("Resident memory after start-up, sample game", f"{resident:.1f} MiB")

    print(f"Measured on: {machine()}")
    table.print()


if __name__ == "__main__":
    main()
