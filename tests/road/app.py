"""The program under test in a fresh profile, its controls found where they
are drawn, and real input sent to them.

The program writes a map of its labelled controls (TOLLIVAR_CONTROL_MAP): a
label, a rectangle in window pixels and the control drawn alone. A control
counts as found only when a screenshot of the X server shows those pixels
at that place; then it is pressed at the centre of its visible part, the
window's origin taken from the X server.
"""

import os
import plistlib
import subprocess
import time

from xsession import ending_with_parent, wait_until, write_png

# How closely a screenshot must show a control drawn alone: the share of its
# inked pixels within kChannelSlack of the colour expected there.
kChannelSlack = 40
kMatchingShare = 0.9
kMaximumSamples = 3000
# The pause between the two screenshots that must both show a control, and
# how far its pixels may differ between them (a screen still scrolling or
# sliding differs more: its look-alike neighbours pass the first test).
kSettleSeconds = 0.15
kStillDifference = 2.0
# The button that takes a coach mark (a one-time help overlay) away.
kCoachMarkButton = "Next"
# How far a translucent layer over a control (a coach mark's) may dim it and
# still leave it visible to the user.
kMinimumGain = 0.3
kMaximumGain = 1.15


class RoadError(AssertionError):
    pass


class App:
    def __init__(self, session, binary, out_dir, profile, device):
        """The program started in a fresh profile, in the tablet's window or
        the phone's (device)."""
        self.session = session
        self.binary = binary
        self.out_dir = out_dir
        self.profile = profile
        self.device = device
        self.map_path = os.path.join(out_dir, "controls.plist")
        self.screens = 0
        env = dict(session.env)
        # No session bus either: the desktop's file chooser would open
        # outside the private X server.
        for name in ("XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "HOME",
                     "XDG_DOCUMENTS_DIR", "XDG_PICTURES_DIR", "XDG_MUSIC_DIR", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(name, None)
        runtime = os.path.join(profile, "runtime")
        temporary = os.path.join(profile, "tmp")
        for folder in ("data", "cache", "config", "Documents", "Pictures", "Music"):
            os.makedirs(os.path.join(profile, folder), exist_ok=True)
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.makedirs(temporary, mode=0o700, exist_ok=True)
        env.update({
            "HOME": profile,
            "XDG_DATA_HOME": os.path.join(profile, "data"),
            "XDG_CACHE_HOME": os.path.join(profile, "cache"),
            "XDG_CONFIG_HOME": os.path.join(profile, "config"),
            "XDG_RUNTIME_DIR": runtime,
            "TMPDIR": temporary,
            "XDG_DOCUMENTS_DIR": os.path.join(profile, "Documents"),
            "XDG_PICTURES_DIR": os.path.join(profile, "Pictures"),
            "XDG_MUSIC_DIR": os.path.join(profile, "Music"),
            "TOLLIVAR_CAMERA": "synthetic",
            "TOLLIVAR_CONTROL_MAP": self.map_path,
            "QT_QPA_PLATFORM": "xcb",
            # No sound server: the program must manage without one.
            "PULSE_SERVER": "unix:" + os.path.join(profile, "no-pulse"),
        })
        self._env = env
        self._log = open(os.path.join(out_dir, "app.log"), "wb")
        self.window = None
        self._launch()

    @property
    def phone(self):
        return self.device == "phone"

    def _launch(self):
        # A map left by the last run would pass for this one's window.
        if os.path.exists(self.map_path):
            os.remove(self.map_path)
        self.process = subprocess.Popen([self.binary], env=dict(self._env, TOLLIVAR_DEVICE=self.device),
                                        stdin=subprocess.DEVNULL, stdout=self._log, stderr=subprocess.STDOUT,
                                        cwd=self.profile, preexec_fn=ending_with_parent())
        self.window = None

    def restart(self, device=None):
        """Quits the program as the desktop does and starts it again on the
        same profile, in the window of device (or the same one), as a user
        who changes the window in the settings must. A quit that did not end
        the program cleanly is reported once it runs again."""
        status = self._end()
        self.device = device or self.device
        self._log.write(("---- started again in the %s's window\n" % self.device).encode())
        self._log.flush()
        self._launch()
        self.wait_for_window()
        if status != 0:
            raise RoadError("SIGTERM ended the program with status %s" % status)

    # ---- the program's folders ------------------------------------------------------

    @property
    def documents(self):
        return os.path.join(self.profile, "data", "tollivar", "Documents")

    def log_text(self):
        with open(os.path.join(self.out_dir, "app.log"), "rb") as log:
            return log.read().decode(errors="replace")

    def _end(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode

    def stop(self):
        """Closes the program as the desktop does (SIGTERM); its exit status."""
        status = self._end()
        self._log.close()
        return status

    # ---- the map ---------------------------------------------------------------------

    def control_map(self):
        if self.process.poll() is not None:
            raise RoadError("the program ended with status %s:\n%s" % (self.process.returncode, self.log_text()[-3000:]))
        try:
            with open(self.map_path, "rb") as f:
                return plistlib.load(f)
        except (FileNotFoundError, plistlib.InvalidFileException):
            return None

    def controls(self, label=None, kind=None):
        """The visible controls of the current map, back to front. A label is
        a text to equal or a regular expression that must match its start."""
        found = self.control_map()
        if not found:
            return []
        return [c for c in found["controls"]
                if label_matches(label, c["label"]) and (kind is None or c["kind"] == kind)]

    def labels(self):
        return [c["label"] for c in self.controls()]

    def wait_for(self, condition, what, timeout=15):
        value = wait_until(condition, timeout)
        if not value:
            self.keep("failed")
            raise RoadError("waited %ss for %s; on screen: %s" % (timeout, what, sorted(set(self.labels()))))
        return value

    def wait_for_window(self, timeout=30):
        found = wait_until(self.control_map, timeout)
        if not found:
            raise RoadError("the program wrote no control map:\n" + self.log_text()[-3000:])
        self.window = found["windowId"]
        return self.window

    # ---- screenshots -----------------------------------------------------------------

    def origin(self):
        x, y, _, _ = self.session.window_geometry(self.window)
        return x, y

    def shot(self):
        x, y, width, height = self.session.window_geometry(self.window)
        return self.session.screenshot(x, y, width, height)

    def keep(self, name, shot=None):
        """Keeps a PNG of the window as the test passes it."""
        width, height, pixels = shot or self.shot()
        self.screens += 1
        path = os.path.join(self.out_dir, "%02d-%s.png" % (self.screens, name))
        write_png(path, width, height, pixels)
        return path

    # ---- finding controls where they are drawn ------------------------------------

    def find(self, label, kind=None, timeout=15, enabled=True, pick=None, coach_marks=True, over=None):
        """The front-most control with the label that the screen really shows.

        The control must show in two screenshots taken a moment apart, at
        the place the latest map gives, so that a screen still moving (a
        strip that scrolls, a popover that slides in) is not taken for its
        end. A coach mark on screen is passed first, as a user passes it,
        with its Next button (unless coach_marks is False: then the control
        counts as found under it, dimmed). pick, when given, chooses among
        the drawn candidates (a function of the list, back to front). over,
        when given, is a screenshot of the window before the control showed,
        the background it must be drawn on (see drawn_share)."""
        last = {"shot": None, "why": "not in the control map"}

        def drawn_now():
            everything = self.controls()
            listed = [c for c in everything if label_matches(label, c["label"]) and kind in (None, c["kind"])]
            candidates = [c for c in listed if not enabled or c["enabled"]]
            if not candidates:
                last["why"] = "not in the control map" if not listed else "disabled"
                return None
            shot = self.shot()
            last["shot"] = shot
            shares = [drawn_share(c, shot, over, covering(everything, c)) for c in candidates]
            drawn = [c for c, share in zip(candidates, shares) if share >= kMatchingShare]
            if not drawn:
                last["why"] = "listed at %s but not drawn there (best match %.2f)" % (
                    [rect_of(c) for c in candidates], max(shares))
                return None
            return (pick(drawn) if pick else drawn[-1], shot)

        def passed_coach_mark():
            if not coach_marks or label == kCoachMarkButton or not self.controls(kCoachMarkButton):
                return False
            shot = self.shot()
            buttons = [c for c in self.controls(kCoachMarkButton) if drawn_share(c, shot) >= kMatchingShare]
            if buttons:
                self.keep("coach-mark", shot)
                shown = self.controls()
                self.session.click(*self.centre(buttons[-1]))
                # One press a coach mark: a slow build still shows it a while
                # after the click, and a second click there would land on
                # what lies under it once it has gone.
                wait_until(lambda: self.controls() != shown, 10)
            return bool(buttons)

        def attempt():
            if passed_coach_mark():
                return None
            first = drawn_now()
            if not first:
                return None
            time.sleep(kSettleSeconds)
            second = drawn_now()
            if (not second or rect_of(second[0]) != rect_of(first[0])
                    or region_difference(first[1], second[1], second[0]) > kStillDifference):
                last["why"] = "still moving"
                return None
            return second

        found = wait_until(attempt, timeout, interval=0.1)
        if not found:
            self.keep("failed-" + safe_name(label), last["shot"])
            raise RoadError("%r: %s; on screen: %s" % (label, last["why"], sorted(set(self.labels()))))
        return found

    def tap(self, label, kind=None, timeout=15, pick=None, name=None, keep=True, coach_marks=True):
        """Clicks a control where it is drawn, keeping the screen it was found on."""
        control, shot = self.find(label, kind, timeout, pick=pick, coach_marks=coach_marks)
        if keep:
            self.keep(name or "tap-" + safe_name(label), shot)
        x, y = self.centre(control)
        self.session.click(x, y)
        return control

    def shows(self, label):
        """Whether the screen shows the control now (one look, nothing kept)."""
        everything = self.controls()
        candidates = [c for c in everything if label_matches(label, c["label"])]
        if not candidates:
            return False
        shot = self.shot()
        return any(drawn_share(c, shot, covered=covering(everything, c)) >= kMatchingShare for c in candidates)

    def centre(self, control):
        """The centre of a control's visible part, in root coordinates."""
        ox, oy = self.origin()
        return (ox + int(control["visibleX"] + control["visibleWidth"] / 2),
                oy + int(control["visibleY"] + control["visibleHeight"] / 2))

    def key(self, *names):
        self.session.key(*names)


def label_matches(label, text):
    if label is None:
        return True
    if isinstance(label, str):
        return text == label
    return label.match(text) is not None


def rect_of(control):
    return tuple(int(round(control[k])) for k in ("x", "y", "width", "height"))


def visible_rect(control):
    """The part of a control the window shows: (left, top, width, height)."""
    return tuple(control[k] for k in ("visibleX", "visibleY", "visibleWidth", "visibleHeight"))


def safe_name(label):
    text = label if isinstance(label, str) else label.pattern
    return "".join(ch if ch.isalnum() else "-" for ch in text)[:40] or "control"


def region_difference(first, second, control):
    """The mean difference per channel of two screenshots where a control shows."""
    width = first[0]
    x0, y0 = int(control["visibleX"]), int(control["visibleY"])
    x1, y1 = int(control["visibleX"] + control["visibleWidth"]), int(control["visibleY"] + control["visibleHeight"])
    total, count = 0, 0
    for y in range(y0, y1, 2):
        row = (y * width + x0) * 3, (y * width + x1) * 3
        a, b = first[2][row[0]:row[1]], second[2][row[0]:row[1]]
        total += sum(abs(p - q) for p, q in zip(a, b))
        count += len(a)
    return total / max(1, count)


def covering(controls, control):
    """The rectangles (left, top, right, bottom) of the controls drawn in
    front of control (after it in the map) over its visible part: a badge
    over a picture in the strip."""
    x0, y0 = control["visibleX"], control["visibleY"]
    x1, y1 = x0 + control["visibleWidth"], y0 + control["visibleHeight"]
    rects = []
    for c in controls[next(i for i, c in enumerate(controls) if c is control) + 1:]:
        left, top = max(x0, c["visibleX"]), max(y0, c["visibleY"])
        right, bottom = min(x1, c["visibleX"] + c["visibleWidth"]), min(y1, c["visibleY"] + c["visibleHeight"])
        if left < right and top < bottom:
            rects.append((left, top, right, bottom))
    return rects


def drawn_share(control, shot, over=None, covered=()):
    """The share of a control's inked pixels that the screenshot shows.

    The control drawn alone comes on the window's pixel grid with straight
    alpha; on screen it blends with what lies behind, taken as the median
    colour of the screenshot where the control leaves its own pixels clear
    (or, for a control with none, just around it). A translucent layer over
    it (a coach mark's) may dim it evenly.

    over, when given, is a screenshot of the window taken before the control
    showed: what lies behind each pixel is then read there, and the control
    must show undimmed. A translucent badge over a picture needs that: the
    picture behind it is no one colour.

    covered lists the rectangles of the window that other controls draw
    over it (see covering): the control is compared where it shows."""
    if "pixels" not in control:
        return 0.0
    width, height, _ = shot
    pw, ph, pixels = control["pixelWidth"], control["pixelHeight"], control["pixels"]
    opacity = control["opacity"]
    left, top = control["pixelX"], control["pixelY"]
    vx0 = max(0, int(control["visibleX"]) - left)
    vy0 = max(0, int(control["visibleY"]) - top)
    vx1 = min(pw, int(control["visibleX"] + control["visibleWidth"]) - left)
    vy1 = min(ph, int(control["visibleY"] + control["visibleHeight"]) - top)
    step = max(1, int(((vx1 - vx0) * (vy1 - vy0) / 20000) ** 0.5))
    inked, clear = [], []
    for y in range(vy0, vy1, step):
        for x in range(vx0, vx1, step):
            if any(l <= left + x < r and t <= top + y < b for l, t, r, b in covered):
                continue
            alpha = pixels[(y * pw + x) * 4 + 3] * opacity / 255
            if alpha >= 0.4:
                inked.append((x, y, alpha))
            elif alpha == 0:
                clear.append((x, y))
    if len(inked) < 8:
        return 0.0
    if len(clear) < 8:
        clear = [(x, y) for x in range(vx0 - 2, vx1 + 2, step) for y in (vy0 - 2, vy1 + 1)]
    inked = inked[::max(1, len(inked) // kMaximumSamples)]
    clear = clear[::max(1, len(clear) // 500)]

    def at(x, y, taken=shot):
        x, y = min(max(left + x, 0), width - 1), min(max(top + y, 0), height - 1)
        j = (y * width + x) * 3
        return taken[2][j], taken[2][j + 1], taken[2][j + 2]

    behind = [sorted(channel)[len(channel) // 2] for channel in zip(*(at(x, y) for x, y in clear))]
    # What the control adds over what lies behind it (p) and what the screen
    # shows beyond that background (q): q = gain · p, the gain below 1 where
    # a translucent layer dims the control.
    pairs = []
    for x, y, alpha in inked:
        i = (y * pw + x) * 4
        shown = at(x, y)
        under = at(x, y, over) if over else behind
        pairs.append([(pixels[i + c] * alpha, shown[c] - under[c] * (1 - alpha)) for c in range(3)])
    energy = sum(p * p for pixel in pairs for p, _ in pixel)
    gain = 1.0 if over or not energy else sum(p * q for pixel in pairs for p, q in pixel) / energy
    if not kMinimumGain <= gain <= kMaximumGain:
        return 0.0
    matching = sum(1 for pixel in pairs if all(abs(gain * p - q) <= kChannelSlack for p, q in pixel))
    return matching / len(pairs)
