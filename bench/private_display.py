"""A private Xvfb display with a window manager for the measuring scripts, so that they know
the X server's process and can count its work beside the program's.

    with PrivateDisplay() as display:      # sets DISPLAY for this process and its children
        ... display.server_pid ...
"""

import os
import pathlib
import re
import subprocess
import tempfile
import time


def cpu_seconds(pid):
    """User and system time a process has used, in seconds."""
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_kib(pid):
    """Resident memory of a process in KiB."""
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


class PrivateDisplay:
    def __init__(self, screen="1024x768x24"):
        self.screen = screen
        self.server = self.manager = None
        self.saved = os.environ.get("DISPLAY")

    def __enter__(self):
        with tempfile.TemporaryFile() as number_file:
            self.server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(number_file.fileno()), "-screen", "0", self.screen,
                 "-nolisten", "tcp"], pass_fds=(number_file.fileno(),),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 10
            number = b""
            while not number.strip() and time.monotonic() < deadline:
                time.sleep(0.05)
                number_file.seek(0)
                number = number_file.read()
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number.decode().strip()
        self.manager = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and b"Openbox" not in subprocess.run(
                ["wmctrl", "-m"], capture_output=True, check=False).stdout:
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        for process in (self.manager, self.server):
            if process and process.poll() is None:
                process.terminate()
                process.wait(timeout=10)
        if self.saved is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.saved

    @property
    def server_pid(self):
        return self.server.pid


class WestonDisplay:
    """Weston with its X11 backend inside a private Xvfb (where it finds a seat), and the
    XWayland display it runs for X clients as DISPLAY; no Wayland display is given on.

    with WestonDisplay():                   # DISPLAY names weston's XWayland
        ...
    """

    def __init__(self, screen="1024x768x24"):
        self.screen = screen
        self.outer = PrivateDisplay(screen)
        self.weston = None
        self.runtime = None

    def __enter__(self):
        self.outer.__enter__()
        self.outer.manager.terminate()
        self.outer.manager.wait(timeout=10)
        self.runtime = tempfile.TemporaryDirectory(prefix="tarnwick-weston-")
        os.chmod(self.runtime.name, 0o700)
        log = pathlib.Path(self.runtime.name) / "weston.log"
        width, height = self.screen.split("x")[:2]
        self.weston = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--xwayland", "--idle-time=0",
             f"--width={width}", f"--height={height}", "--socket=tarnwick-bench",
             f"--log={log}"], env={**os.environ, "XDG_RUNTIME_DIR": self.runtime.name},
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        number = None
        while number is None and time.monotonic() < deadline:
            time.sleep(0.05)
            text = log.read_text() if log.exists() else ""
            found = re.search(r"xserver listening on display (:\d+)", text)
            number = found.group(1) if found else None
        if number is None:
            self.__exit__()
            raise RuntimeError("weston did not start its XWayland")
        os.environ["DISPLAY"] = number
        # The desktop shell is up once its panel is: wait for a first X client to be served.
        subprocess.run(["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=15, check=False)
        return self

    def __exit__(self, *exc):
        if self.weston and self.weston.poll() is None:
            self.weston.terminate()
            self.weston.wait(timeout=10)
        self.outer.__exit__()
        if self.runtime:
            self.runtime.cleanup()
