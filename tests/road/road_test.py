#!/usr/bin/env python3
"""The road test: the release build in a fresh profile under a private X
server with a window manager, driven with real input (XTest) at the places
where its controls are drawn, checking the files it writes.

    road_test.py --binary build/release/bin/tollivar --out build/release/road [--window phone]

It takes the tablet's window (1024 × 768) or the phone's (568 × 320); the
steps are the same in both, and a painting made in one is opened in the
other.

Every screen it passes is kept as a PNG in the output folder, with the
program's log (app.log) and the X server's (xserver.log). It runs every step
even after one fails, so one run tells all that is broken; the exit status
is 1 when any step failed.
"""

import argparse
import os
import shutil
import signal
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from app import App, RoadError  # noqa: E402
from card_steps import import_archive, player_escape, save_to_folder, share_exit, share_save_done  # noqa: E402
from editor_steps import (crop, first_launch, green_screen, hold, leave_editor, media, new_project,  # noqa: E402
                          outline, settings_expanded, settings_wheel, shutter_presses, space_captures, speed)
from painting import painter_popovers, painting_between_windows  # noqa: E402
from screens import kEditorMark, window_blank  # noqa: E402
from xsession import XSession  # noqa: E402


def recover(app):
    """After a failed step: back to the editor, the camera or the card, the
    way a user would get there (Next, Cancel or Done, the painter's back
    button, Escape for a popover); a window left blank is quit and started
    again, as a user must."""
    for _ in range(5):
        if window_blank(app):
            print("road test: the window shows nothing; the program starts again", flush=True)
            app.restart()
            return
        for way_back in ("Next", "Cancel", "Done", "painter_icon_back"):
            if app.shows(way_back):
                app.tap(way_back, timeout=2, name="recover-" + way_back)
                break
        else:
            if app.shows("Action"):
                return
            app.key("Escape")
            time.sleep(1)
            if app.shows(kEditorMark) or app.shows("captureview_shutter"):
                return
        time.sleep(1)


# The road, the same in either window. A failed step leaves the next ones to
# find their own screen (see screens.py).
STEPS = [first_launch, new_project, shutter_presses, space_captures, green_screen, hold, crop, painter_popovers,
         painting_between_windows, speed, media, settings_wheel, outline, settings_expanded, leave_editor,
         player_escape, share_exit("Photos", "Cancel"), share_exit("Save to Folder", "Cancel"),
         share_exit("Save to Folder", "Escape"), share_save_done, save_to_folder, import_archive]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--budget", type=float, default=360,
                        help="seconds the whole road may take, start-up and shut-down included")
    parser.add_argument("--window", choices=("tablet", "phone"), default="tablet",
                        help="the window the road takes (the program's TOLLIVAR_DEVICE)")
    args = parser.parse_args()
    # The program runs in its profile folder: the map's path it is given
    # must not depend on where the road test was started.
    args.binary, args.out = os.path.abspath(args.binary), os.path.abspath(args.out)
    if not os.access(args.binary, os.X_OK):
        print("road test: no application at %s; build the release preset first (scripts/test does)" % args.binary)
        return 1
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    # A stop from outside (CTest's timeout) still ends the program and the
    # X server.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("road test: stopped"))
    started = time.monotonic()
    failures = []
    session = XSession(args.out)
    profile = os.path.join(args.out, "profile")
    os.makedirs(profile)
    app = None
    try:
        app = App(session, args.binary, args.out, profile, args.window)
        app.wait_for_window()
        for step in STEPS:
            if time.monotonic() - started > args.budget:
                failures.append(step.__name__)
                print("road test: %-24s NOT RUN: the road took more than %d s" % (step.__name__, args.budget))
                continue
            step_started = time.monotonic()
            try:
                step(app)
                print("road test: %-24s ok (%.1f s)" % (step.__name__, time.monotonic() - step_started), flush=True)
            except Exception as error:  # noqa: BLE001 — every failure is reported, the next step still runs
                failures.append(step.__name__)
                print("road test: %-24s FAILED: %s" % (step.__name__, error), flush=True)
                if not isinstance(error, RoadError):
                    traceback.print_exc()
                try:
                    recover(app)
                except Exception as error:  # noqa: BLE001 — the next step finds its own screen
                    print("road test: %-24s %s" % ("(no way back)", error), flush=True)
    finally:
        status = app.stop() if app else None
        session.close()
    if status != 0:
        failures.append("quit")
        print("road test: %-24s FAILED: SIGTERM ended the program with status %s" % ("quit", status))
    elapsed = time.monotonic() - started
    if elapsed > args.budget:
        failures.append("time")
        print("road test: the road took %.0f s, more than %d s" % (elapsed, args.budget))
    print("road test: the %s's window: %d steps, %d failed, %.1f s; screens in %s" % (
        args.window, len(STEPS) + 1, len(failures), elapsed, args.out))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
