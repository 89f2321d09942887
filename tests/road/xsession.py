"""A private X server with a window manager, real input through XTest, and
screenshots taken from the server.

Xvfb picks a free display itself (-displayfd), so road tests can run beside
other tests. Input goes through xdotool, which sends it with the XTest
extension: the server treats it as a real mouse and keyboard, and the window
manager sees it too. Window positions come from the server (the absolute
coordinates of the client window, as xwininfo gives them), never from what
the program believes: a window manager's frame moves the client inside it.
"""

import ctypes
import os
import select
import signal
import struct
import subprocess
import time
import zlib

from xscreen import ScreenReader, XError


def wait_until(condition, timeout, interval=0.05):
    """The first true value of condition() within timeout seconds, or None."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def ending_with_parent():
    """A preexec_fn: the child gets SIGTERM (and so tidies up as when closed)
    once the road test ends, however it ends, even by SIGKILL."""
    parent = os.getpid()

    def arrange():
        if _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM) != 0 or os.getppid() != parent:
            os._exit(127)
    return arrange


class XSession:
    # Two road tests that start at once may race for a display number: the
    # one that loses may name it and then fail to serve it. A fresh server
    # picks another.
    kAttempts = 3

    def __init__(self, log_dir, width=1280, height=1024):
        self._log = open(os.path.join(log_dir, "xserver.log"), "wb")
        self._processes = []
        self._reader = None
        for attempt in range(1, self.kAttempts + 1):
            try:
                self._start_server(width, height)
                return
            except XError as error:
                self._end_processes()
                self._log.write(("---- attempt %d: %s\n" % (attempt, error)).encode())
                self._log.flush()
                if attempt == self.kAttempts:
                    self.close()
                    raise

    def _start_server(self, width, height):
        read_end, write_end = os.pipe()
        self.xvfb = self._start(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"],
            pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                raise XError("Xvfb did not start (see xserver.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = self._start(["openbox", "--sm-disable"], env=self.env)
        if not wait_until(self._window_manager_running, 20):
            raise XError("the window manager did not start on %s (see xserver.log)" % self.display)

    def _start(self, command, **options):
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                                   preexec_fn=ending_with_parent(), **options)
        self._processes.append(process)
        return process

    def _window_manager_running(self):
        result = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return "window id" in result.stdout

    def run(self, command, check=True, binary=False):
        result = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                                text=not binary, timeout=60)
        if check and result.returncode != 0:
            error = result.stderr if not binary else result.stderr.decode(errors="replace")
            raise XError("%s failed: %s" % (" ".join(command), error.strip()))
        return result

    def _end_processes(self):
        for process in reversed(self._processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self._processes = []

    def close(self):
        if self._reader:
            self._reader.close()
            self._reader = None
        self._end_processes()
        self._log.close()

    # ---- windows ------------------------------------------------------------------

    def window_geometry(self, window_id):
        """(x, y, width, height) of a window's inside, in root coordinates."""
        return self._screen().window_geometry(window_id)

    # ---- screenshots -------------------------------------------------------------

    def screenshot(self, x, y, width, height):
        """The pixels of a rectangle of the screen (the part of it on the
        screen) as (width, height, RGB bytes)."""
        return self._screen().pixels(x, y, width, height)

    def _screen(self):
        # One connection for every look at the screen: a tool started for
        # each screenshot cost the road a third of its time.
        if not self._reader:
            self._reader = ScreenReader(self.display)
        return self._reader

    # ---- input (XTest) -----------------------------------------------------------

    def click(self, x, y, hold=0.06):
        self.run(["xdotool", "mousemove", str(x), str(y), "mousedown", "1", "sleep", str(hold),
                  "mouseup", "1"])

    def move(self, x, y):
        """Moves the pointer there, no button held."""
        self.run(["xdotool", "mousemove", str(x), str(y)])

    def wheel(self, x, y, notches):
        """Turns the wheel over a point: positive notches away from the user."""
        button = "4" if notches > 0 else "5"
        self.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(abs(notches)),
                  "--delay", "40", button])

    def drag(self, path, seconds=0.4):
        """Presses at the first point, moves along the path, lets go at the last."""
        step = seconds / max(1, len(path) - 1)
        command = ["xdotool", "mousemove", str(path[0][0]), str(path[0][1]), "mousedown", "1"]
        for x, y in path[1:]:
            command += ["sleep", "%.3f" % step, "mousemove", str(x), str(y)]
        command += ["sleep", "0.05", "mouseup", "1"]
        self.run(command)

    def key(self, *names):
        """Presses and releases keys by their X names ("space", "Escape", "plus")."""
        self.run(["xdotool", "key", "--delay", "60"] + list(names))


def write_png(path, width, height, rgb):
    """Writes 8-bit RGB pixels as a PNG file."""
    row = width * 3
    raw = b"".join(b"\x00" + rgb[y * row:(y + 1) * row] for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))
