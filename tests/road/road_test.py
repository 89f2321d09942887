#!/usr/bin/env python3
"""The road test: the release build in a fresh profile under a private X
server with a window manager, driven with real input (XTest) at the places
where its controls are drawn, checking the files it writes.

    road_test.py --binary build/release/bin/tollivar --out build/release/road

Every screen it passes is kept as a PNG in the output folder, with the
program's log (app.log) and the X server's (xserver.log). It runs every step
even after one fails, so one run tells all that is broken; the exit status
is 1 when any step failed.
"""

import argparse
import json
import glob
import itertools
import os
import plistlib
import re
import shutil
import signal
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from app import App, RoadError  # noqa: E402
from pictures import colour_box, is_green, is_red, read_picture, shows_at  # noqa: E402
from xsession import XSession, wait_until  # noqa: E402

kShutterPresses = 14


# ---- the project on disk --------------------------------------------------------------

def project_folder(app):
    folders = [f for f in glob.glob(os.path.join(app.documents, ".kelbrin-*")) if os.path.isdir(f)]
    return folders[0] if len(folders) == 1 else None


def frame_list(app):
    """The entries of the project's "frames.meta", as python's plistlib reads them."""
    folder = project_folder(app)
    if not folder:
        return []
    try:
        with open(os.path.join(folder, "frames.meta"), "rb") as f:
            return plistlib.load(f)["FRAMELIST_DATA"]
    except (FileNotFoundError, plistlib.InvalidFileException, KeyError):
        return []


def pictures(app):
    """The picture frames (type 0) in order."""
    return [f for f in frame_list(app) if f.get("FRAME_TYPE", 0) == 0]


def check(condition, message):
    if not condition:
        raise RoadError(message)


# ---- the steps --------------------------------------------------------------------------

def first_launch(app):
    """A fresh profile greets with the welcome pager; Skip leads to the browser."""
    app.tap("Skip")
    app.find("explorer_icon_new_ios7")


def new_project(app):
    """The new-project entry opens the editor with the camera."""
    app.tap("explorer_icon_new_ios7")
    app.find("captureview_shutter")


def wait_for_pictures(app, count, what):
    app.wait_for(lambda: len(pictures(app)) == count,
                 "%s: %d frames in frames.meta (there are %d)" % (what, count, len(pictures(app))), timeout=15)


def shutter_presses(app):
    """Each press of the shutter button stores one frame."""
    for press in range(1, kShutterPresses + 1):
        keep = press in (1, kShutterPresses)
        # No coach mark may take a press: one that comes up is pressed through.
        app.tap("captureview_shutter", keep=keep, name="shutter-%d" % press, coach_marks=False)
        wait_for_pictures(app, press, "after shutter press %d" % press)
    check(len(pictures(app)) == kShutterPresses, "%d presses made %d frames" % (kShutterPresses, len(pictures(app))))
    app.keep("frames")


def space_captures(app):
    """Space, like the shutter, stores one frame."""
    count = len(pictures(app))
    app.find("captureview_shutter", coach_marks=False)
    app.key("space")
    wait_for_pictures(app, count + 1, "after Space")
    app.keep("space")


def strip_item(app, frame):
    """The strip's picture of a frame (named after its thumbnail file)."""
    return "thumb-%s.jpg" % frame["FRAME_ID"]


def tap_beside(app):
    """A tap beside a popover or the settings sheet closes it: on the camera's
    picture, far from the strip, the toolbar and the sheet."""
    ox, oy = app.origin()
    app.session.click(ox + 700, oy + 250)


def hold(app):
    """Hold with "+" pressed twice holds the frame three times."""
    frame = pictures(app)[-1]
    app.tap(strip_item(app, frame), name="select-for-hold")
    # The strip reloads once the new picture's thumbnail is made, which on
    # a slow build can come after the picture is listed and take the click
    # with it: a second click then opens the menu, as it would for a user.
    if not wait_until(lambda: app.controls("Hold"), 5):
        app.tap(strip_item(app, frame), name="select-for-hold-again")
    app.tap("Hold")
    app.find("Hold 1 time")
    # The thumbnail before its hold badge: the badge is translucent, and
    # the picture it lies over is no one colour.
    unheld = app.shot()
    app.tap("+", name="hold-plus-1")
    app.find("Hold 2 times")
    app.tap("+", name="hold-plus-2")
    app.find("Hold 3 times")
    app.keep("hold-3")
    tap_beside(app)
    app.wait_for(lambda: not app.controls("Hold 3 times"), "the hold panel to close")
    app.wait_for(lambda: [f["DURATION"] for f in pictures(app) if f["UID"] == frame["UID"]] == [3],
                 "a hold of 3 in frames.meta")
    app.find("thumb_icon_hold", over=unheld)
    app.keep("held")


def picture_path(app, frame):
    return os.path.join(project_folder(app), "frame-%s.jpg" % frame["FRAME_ID"])


def settled_shot(app, seconds=0.5):
    """A screenshot once what the input set going has finished: after the
    pause that ends a wheel's gesture, two screenshots a moment apart agree
    (a spring-back or a zoom still being drawn differs)."""
    time.sleep(seconds)
    last = {"shot": app.shot()}

    def still():
        time.sleep(0.15)
        shot = app.shot()
        same, last["shot"] = shot == last["shot"], shot
        return shot if same else None

    return wait_until(still, 10) or last["shot"]


def menu_escape(app, frame):
    """A tap on a frame opens its menu; Escape closes it."""
    app.tap(strip_item(app, frame), name="select-for-menu")
    app.find("Crop")
    app.keep("menu")
    app.key("Escape")
    app.wait_for(lambda: not app.controls("Crop"), "Escape to close the frame's menu")
    app.find("captureview_shutter")
    app.keep("menu-escaped")


def crop(app):
    """The crop editor: the wheel over the picture's red corner zooms about
    the pointer (the corner grows away from it), a drag moves the picture
    (the corner follows the pointer), and Done stores what the crop window
    showed: the stored picture's red corner is as much larger or smaller,
    for its size, as it was on the screen."""
    frame = pictures(app)[-2]
    path = picture_path(app, frame)
    before = read_picture(path)
    red_before = colour_box(before, is_red)
    check(red_before and red_before[:2] == (0, 0) and colour_box(before, is_green),
          "%s does not show the synthetic camera's red and green corners" % path)
    menu_escape(app, frame)
    app.tap(strip_item(app, frame), name="select-for-crop")
    app.tap("Crop")
    app.find("Flip")
    app.find("Done")
    shot = settled_shot(app, 0.3)
    app.keep("crop-editor", shot)
    red = colour_box(shot, is_red)
    check(red, "the crop editor shows no red corner")
    # The picture's left and top edges on the screen, where its red corner starts.
    left, top = red[0], red[1]
    px, py = (red[0] + red[2]) // 2, (red[1] + red[3]) // 2
    ox, oy = app.origin()
    notches = 4
    app.session.wheel(ox + px, oy + py, notches)
    zoomed = settled_shot(app)
    app.keep("crop-wheel", zoomed)
    grown = colour_box(zoomed, is_red)
    check(grown and shows_at(zoomed, is_red, px, py),
          "after the wheel the pointer at (%d, %d) is off the red corner %s" % (px, py, grown))
    zoom = 1.1 ** notches
    for edge, was, now, at in (("right", red[2], grown[2], px), ("bottom", red[3], grown[3], py)):
        ratio = (now - at) / max(1, was - at)
        check(abs(ratio - zoom) < 0.25 * zoom,
              "the wheel moved the red corner's %s edge from %d to %d: %.2f times as far from the pointer at %d, "
              "not %.2f" % (edge, was, now, ratio, at, zoom))
    shift = min(60, (grown[2] - left) // 2)
    start = (px + 200, py + 150)
    app.session.drag([(ox + start[0] - step * shift // 4, oy + start[1]) for step in range(5)])
    dragged = settled_shot(app)
    app.keep("crop-drag", dragged)
    moved = colour_box(dragged, is_red)
    check(moved and abs((grown[2] - moved[2]) - shift) <= 8,
          "a drag of %d to the left moved the red corner's right edge from %d to %s" % (
              shift, grown[2], moved and moved[2]))
    app.tap("Done", name="crop-done")
    app.find("captureview_shutter")
    app.wait_for(lambda: read_picture(path)[2] != before[2], "the crop to replace %s" % path)
    after = read_picture(path)
    check(after[:2] == before[:2], "the cropped picture is %d × %d, the camera's %d × %d" % (
        after[0], after[1], before[0], before[1]))
    red_after = colour_box(after, is_red)
    check(red_after and red_after[:2] == (0, 0) and not colour_box(after, is_green),
          "the stored picture's corners: red %s, green %s" % (red_after, colour_box(after, is_green)))
    for edge, index, origin in (("width", 2, left), ("height", 3, top)):
        on_screen = (moved[index] - origin) / (red[index] - origin)
        stored = red_after[index] / red_before[index]
        check(abs(stored - on_screen) < 0.15 * on_screen,
              "the red corner's %s changed %.2f times in the stored picture, %.2f times on the screen" % (
                  edge, stored, on_screen))
    app.keep("cropped")


# The movie-settings sheet's rows by the pictures of their tiles (and the
# last tile of a row long enough to scroll out of the window), and its
# section titles.
kSheetRows = [(re.compile(p), last) for p, last in (
    (r"theme_\d\d\.png$", "theme_09.png"), (r"foreground_\d\d\.png$", "foreground_37.png"),
    (r"fade_\d\.png$", None), (r"edit_effect_\d\.png$", None), (r"mask_\d\.png$", None))]
kSheetTitles = ("Theme", "Foreground", "Fade", "Effect", "Mask")


def project_meta(app):
    """The bytes of the project's frame list and metadata."""
    contents = {}
    for name in ("frames.meta", "kelbrin.meta"):
        with open(os.path.join(project_folder(app), name), "rb") as f:
            contents[name] = f.read()
    return contents


def scroll_sheet(app, height, notches):
    """The wheel over a section title scrolls the sheet (the top one when
    going up, the lowest going down)."""
    titles = [c for c in app.controls(kind="Label") if c["label"] in kSheetTitles and c["visibleHeight"] > 0]
    check(titles, "at %s height no section title of the sheet shows" % height)
    pick = min if notches > 0 else max
    app.session.wheel(*app.centre(pick(titles, key=lambda c: c["visibleY"])), notches)
    time.sleep(0.4)


def wheel_over_sheet_rows(app, height):
    """Turns the wheel over every row of the open sheet, from the top; where
    a row is out of sight, the wheel over a section title scrolls the sheet
    first."""
    window_height = app.session.window_geometry(app.window)[3]

    def tiles_in_sight(row):
        return [c for c in app.controls(row, kind="ImageView")
                if c["visibleHeight"] >= 60 and c["visibleY"] + c["visibleHeight"] <= window_height]

    def tiles_shown(row):
        return {c["label"] for c in tiles_in_sight(row) if c["visibleWidth"] >= 60}

    scroll_sheet(app, height, 10)
    for row, last in kSheetRows:
        for _ in range(8):
            tiles = tiles_in_sight(row)
            if tiles:
                break
            scroll_sheet(app, height, -2)
        check(tiles, "at %s height the sheet's row %s never came into sight" % (height, row.pattern))
        x, y = app.centre(tiles[len(tiles) // 2])
        shown = tiles_shown(row)
        # A long row shows others: towards the user it moves on along its
        # tiles, away from the user it comes back from its end.
        app.session.wheel(x, y, (8 if last in shown else -8) if last else -3)
        if last:
            app.wait_for(lambda: tiles_shown(row) not in (shown, set()),
                         "the wheel to scroll the row %s at %s height" % (row.pattern, height), timeout=5)
    app.keep("sheet-wheel-" + height)


def resize_sheet(app, height):
    """The sheet's size button, and the sheet at full or half height."""
    app.tap(re.compile(r"theme_view_btn_"), kind="BarButton", name="sheet-%s-height" % height)

    def at_height():
        tabs = app.controls("Outline")
        return bool(tabs) and (tabs[-1]["y"] < 100) == (height == "full")

    app.wait_for(at_height, "the settings sheet at %s height" % height)
    time.sleep(0.5)


def settings_wheel(app):
    """The wheel over every row of the movie-settings sheet, at half and at
    full height, only scrolls: it chooses no tile, and the project's frame
    list and metadata stay as they were, byte for byte."""
    app.tap("editor_icon_theme", name="sheet-for-wheel")
    app.find("Outline")
    before = project_meta(app)
    wheel_over_sheet_rows(app, "half")
    resize_sheet(app, "full")
    wheel_over_sheet_rows(app, "full")
    time.sleep(1)
    after = project_meta(app)
    for name in before:
        check(after[name] == before[name], "the wheel over the settings sheet changed the project's %s" % name)
    resize_sheet(app, "half")
    tap_beside(app)
    app.wait_for(lambda: not app.controls("Outline"), "the settings sheet to close")


def outline(app):
    """The movie-settings sheet's Outline tab opens the outline editor."""
    app.tap("editor_icon_theme")
    app.find("Outline")
    app.keep("settings-sheet")
    app.tap("Outline")
    for label in ("Movie Name:", "Starring:", "Studio Name:"):
        app.find(label)
    app.keep("outline")
    tap_beside(app)
    app.wait_for(lambda: not app.controls("Movie Name:"), "the settings sheet to close")
    app.find("editor_icon_theme")
    app.keep("sheet-closed")


# The picker tiles of the settings sheet's lower rows, which come into view
# when the sheet is expanded.
kSheetTiles = ("foreground_21.png", "fade_1.png", "edit_effect_1.png", "mask_1.png")


def is_white(r, g, b):
    return r > 205 and g > 205 and b > 205


def caption_rows(shot, control):
    """A picker tile's caption, read bottom up in the lower half of the
    tile as the screen shows it: (margin, glyphs), the rows of the caption
    bar under the letters (past the tile's border) and the rows of white
    letters. A caption cut off by the tile's edge has no margin."""
    width, _, pixels = shot
    x0, x1 = int(control["x"]) + 5, int(control["x"] + control["width"]) - 5
    top, bottom = int(control["y"] + control["height"] / 2), int(control["y"] + control["height"])

    def white_row(y):
        row = y * width * 3
        return any(is_white(*pixels[row + x * 3:row + x * 3 + 3]) for x in range(x0, x1))

    rows = [white_row(y) for y in range(top, bottom)]
    y = len(rows)
    while y > 0 and rows[y - 1] and len(rows) - y < 2:  # the tile's border
        y -= 1
    margin = glyphs = 0
    while y > 0 and not rows[y - 1]:
        y, margin = y - 1, margin + 1
    while y > 0 and rows[y - 1]:
        y, glyphs = y - 1, glyphs + 1
    return margin, glyphs


def settings_expanded(app):
    """The settings sheet's chevron expands it over the editor: the first
    title right under the navigation bar and every row drawn with its
    tiles, Effect and Mask too, each tile's caption whole inside it. Done
    closes it."""
    app.tap("editor_icon_theme", name="sheet-to-expand")
    app.tap("theme_view_btn_open.png", kind="BarButton", name="chevron")
    app.find("theme_view_btn_close.png", kind="BarButton")
    for tile in kSheetTiles:
        app.find(tile)
    shot = settled_shot(app, 0.3)
    app.keep("sheet-expanded", shot)
    bar = app.controls("Done", kind="BarButton")[-1]
    title = app.controls("Theme", kind="Label")
    check(title and title[0]["y"] == bar["y"] + bar["height"],
          "the expanded sheet's first title at %s, the navigation bar ends at %s" % (
              title and title[0]["y"], bar["y"] + bar["height"]))
    for tile in kSheetTiles:
        margin, glyphs = caption_rows(shot, app.controls(tile)[-1])
        check(margin >= 1 and glyphs >= 5, "%s: the caption's letters %d rows high, %d rows of its bar under "
              "them: cut off by the tile's edge" % (tile, glyphs, margin))
    app.tap("Done", kind="BarButton", name="sheet-done")
    app.wait_for(lambda: not app.controls("mask_1.png"), "Done to close the settings sheet")
    app.find("editor_icon_theme")


def leave_editor(app):
    """The projects button leaves the editor for the project's card."""
    app.tap("editor_icon_projects")
    app.find("Action")
    app.find(re.compile("Modified"))
    app.keep("card")


def player_escape(app):
    """The card's Play opens the player; Escape closes it and leaves the card."""
    open_card(app)
    app.tap("Play", kind="BarButton", name="play")
    # A project not rendered since its last change is rendered first.
    app.tap("Ok", name="render-to-play")
    # The player's controls show a moment as the movie starts and hide while
    # it plays; a pointer moved over the picture brings them back, as it does
    # for a user. It moves after each look that misses them, so a slow look
    # cannot let them go unseen.
    x, y, width, height = app.session.window_geometry(app.window)
    places = itertools.cycle([(x + width // 2, y + height // 2), (x + width // 2 + 8, y + height // 2)])

    def controls_shown():
        if app.controls("-2x"):
            return True
        app.session.move(*next(places))
        return False
    app.wait_for(controls_shown, "the player to open with its controls", timeout=60)
    app.wait_for(lambda: not app.shows("Action"), "the player to cover the card")
    app.keep("player")
    app.key("Escape")
    app.find("Action")
    app.wait_for(lambda: not app.controls("-2x"), "Escape to close the player")
    app.keep("player-escaped")


def open_card(app):
    """The project's card, opened from its tile when the browser shows."""
    if not app.shows("Action"):
        app.tap("My Stop Ziruru Movie", kind="Label", name="open-card")
    app.find("Action")


def tool(command):
    """Runs an outside tool; its output, or a failure naming it."""
    result = subprocess.run(command, capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise RoadError("%s refused it: %s" % (" ".join(command), (result.stderr or result.stdout).strip()[-500:]))
    return result.stdout


def check_movie(app, path):
    streams = json.loads(tool(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height",
                               "-of", "json", path]))["streams"]
    video = [s for s in streams if s["codec_type"] == "video"]
    check(video and video[0]["codec_name"] == "h264" and (video[0]["width"], video[0]["height"]) == (3840, 2160),
          "%s: no 3840 × 2160 H.264 video in %s" % (path, streams))


def movie_length(app):
    """The pictures of the movie: every frame as often as it is held."""
    return sum(f["DURATION"] for f in pictures(app))


def check_gif(app, path):
    frames = tool(["identify", path]).splitlines()
    check(len(frames) == movie_length(app) and all(" GIF " in line for line in frames),
          "%s: identify gives %d lines for %d pictures: %s" % (path, len(frames), movie_length(app), frames[:2]))
    tool(["ffprobe", "-v", "error", path])


def check_jpeg_folder(app, path):
    check(os.path.isdir(path), "%s is no folder" % path)
    names = sorted(os.listdir(path))
    check(len(names) == movie_length(app), "%s holds %d pictures for %d" % (path, len(names), movie_length(app)))
    for name in names:
        check(tool(["identify", "-format", "%m", os.path.join(path, name)]) == "JPEG", "%s/%s is no JPEG" % (path, name))


def check_archive(app, path):
    check("No errors detected" in tool(["unzip", "-t", path]), "unzip -t %s found errors" % path)
    check("frames.meta" in tool(["unzip", "-l", path]), "%s holds no frames.meta" % path)


def resident_mb(app):
    with open("/proc/%d/status" % app.process.pid) as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024


def is_accent(r, g, b):
    return r > 170 and g < 90 and b > 170


def is_backdrop(r, g, b):
    """The synthetic camera's grey backdrop; the render panel behind it is darker."""
    return 58 <= r <= 72 and abs(r - g) < 6 and abs(g - b) < 6


def panel_shows_picture_whole(app, shot):
    """The render panel's preview lies whole between the navigation bar and
    the progress bar: the synthetic camera's grey picture, its red corner at
    the top left (every picture has it, a cropped one too), below the bar's
    buttons and as high as the stored pictures' shape makes it for its width,
    above the progress bar, whose left end is the only thing drawn at the
    window's left."""
    done = app.controls("Done", kind="BarButton")
    check(done, "the panel shows no Done")
    below_bar = done[-1]["y"] + done[-1]["height"]

    def track_in(latest):
        return colour_box(latest, lambda r, g, b: is_accent(r, g, b) or is_white(r, g, b),
                          region=(20, int(below_bar), 40, latest[1]))

    def preview_in(latest):
        # Above the progress bar: the text below it has grey edges too.
        track = track_in(latest)
        region = (0, int(below_bar), latest[0], track[1] if track else latest[1])
        picture, red = colour_box(latest, is_backdrop, region), colour_box(latest, is_red, region)
        corner = picture and red and abs(red[0] - picture[0]) <= 4 and abs(red[1] - picture[1]) <= 4
        return (picture, latest) if corner else None

    # The preview is read from what was saved: a slow build draws it a moment
    # after the text.
    picture, shot = preview_in(shot) or wait_until(lambda: preview_in(app.shot()), 10) or (None, shot)
    check(picture, "the panel shows no preview of a picture with its red corner at the top left")
    width, height, _ = read_picture(picture_path(app, pictures(app)[0]))
    bottom = picture[1] + (picture[2] - picture[0]) * height / width
    check(abs(picture[3] - bottom) <= 6, "the preview %s ends at %d, not at %d as the pictures' shape has it" % (
        picture, picture[3], bottom))
    track = track_in(shot)
    check(picture[1] > below_bar, "the preview's top at %d, under the navigation bar ending at %d" % (
        picture[1], below_bar))
    check(track and track[1] >= bottom, "the progress bar at %s across the preview ending at %d" % (
        track and track[1], bottom))


def save_as(app, title, name):
    """Saves the project to the documents folder as the export `title`;
    the path of what it added there."""
    folder = os.path.join(app.profile, "Documents", "Tollivar")
    before = set(os.listdir(folder)) if os.path.isdir(folder) else set()
    open_card(app)
    app.tap("Action", name="share-" + name)
    app.tap("Save to Folder")
    app.tap(re.compile(re.escape(title)))
    said, shot = app.find(re.compile("Saved to"), timeout=120)
    panel_shows_picture_whole(app, shot)
    app.tap("Done")
    app.find("Action")
    added = sorted(set(os.listdir(folder)) - before) if os.path.isdir(folder) else []
    check(len(added) == 1, "%s saved %s into %s" % (title, added, folder))
    saved = os.path.join(folder, added[0])
    check(saved in said["label"], "%r does not name %s" % (said["label"], saved))
    return saved


def save_to_folder(app):
    """Save to Folder writes a 4K movie, an animated GIF, a folder of JPEG
    pictures and a project archive into the documents folder, each read by
    an outside tool and none sharing its storage with the render cache;
    each leaves the program within 1.5 times the memory it had before."""
    for title, checker in (("UHDTV - 4K", check_movie), ("Animated GIF", check_gif),
                           ("Export All Images", check_jpeg_folder), ("Export Project", check_archive)):
        before = resident_mb(app)
        saved = save_as(app, title, checker.__name__)
        checker(app, saved)
        after = resident_mb(app)
        print("road test: %s: resident %.0f MB before, %.0f MB after" % (title, before, after))
        check(after <= 1.5 * before, "%.0f MB resident after %s, %.0f MB before" % (after, title, before))
        for root, _, names in os.walk(saved) if os.path.isdir(saved) else [("", [], [saved])]:
            for name in names:
                links = os.stat(os.path.join(root, name)).st_nlink
                check(links == 1, "%s shares its storage with %d other names" % (os.path.join(root, name), links - 1))


def import_archive(app):
    """The browser's Import brings up our own chooser (no portal answers
    here): the Documents place, type-ahead and Return lead to the archive
    that Save to Folder wrote, Open imports it, and a second project with
    the same frames comes; the archive stays as it was."""
    folder = os.path.join(app.profile, "Documents", "Tollivar")
    archives = sorted(name for name in os.listdir(folder) if name.endswith(".tollivarmobile"))
    check(len(archives) == 1, "Export Project left %s in %s" % (archives, folder))
    archive = os.path.join(folder, archives[0])
    with open(archive, "rb") as f:
        original = f.read()
    source = project_folder(app)
    frames = frame_list(app)
    check(source and frames, "no project to compare the import with")
    open_card(app)
    app.tap("Back", kind="BarButton", name="card-back")
    app.tap("explorer_icon_import", name="import")
    app.tap("Documents", kind="Button", name="chooser-documents")
    app.find("Tollivar", kind="Label")
    app.key("t", "o", "Return")
    app.tap(archives[0], kind="Label", name="chooser-archive")
    app.tap("Open", kind="BarButton", name="chooser-open")
    app.find("Project successfully imported.", timeout=60)
    app.keep("imported")
    projects = [f for f in glob.glob(os.path.join(app.documents, ".kelbrin-*")) if os.path.isdir(f)]
    imported = [f for f in projects if f != source]
    check(len(imported) == 1, "the import gave %s besides %s" % (imported, source))
    with open(os.path.join(imported[0], "frames.meta"), "rb") as f:
        check(plistlib.load(f)["FRAMELIST_DATA"] == frames, "the imported project's frames differ")
    with open(archive, "rb") as f:
        check(f.read() == original, "%s changed on import" % archive)


def recover(app):
    """After a failed step: back to the editor or the card, the way a user
    would get there (Next, Cancel or Done, a tap beside a popover)."""
    for _ in range(5):
        time.sleep(1)
        for way_back in ("Next", "Cancel", "Done"):
            if app.shows(way_back):
                app.tap(way_back, timeout=2, name="recover-" + way_back)
                break
        else:
            if app.shows("Action"):
                return
            # The editor: a tap beside closes a popover or the sheet left open.
            tap_beside(app)
            time.sleep(1)
            if app.shows("captureview_shutter") and not app.controls("Hold") and not app.controls("Outline"):
                return


STEPS = [first_launch, new_project, shutter_presses, space_captures, hold, crop, settings_wheel, outline,
         settings_expanded, leave_editor, player_escape, save_to_folder, import_archive]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--budget", type=float, default=180,
                        help="seconds the whole road may take, start-up and shut-down included")
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
        app = App(session, args.binary, args.out, profile)
        app.wait_for_window()
        for step in STEPS:
            if time.monotonic() - started > args.budget:
                failures.append(step.__name__)
                print("road test: %-16s NOT RUN: the road took more than %d s" % (step.__name__, args.budget))
                continue
            step_started = time.monotonic()
            try:
                step(app)
                print("road test: %-16s ok (%.1f s)" % (step.__name__, time.monotonic() - step_started), flush=True)
            except Exception as error:  # noqa: BLE001 — every failure is reported, the next step still runs
                failures.append(step.__name__)
                print("road test: %-16s FAILED: %s" % (step.__name__, error), flush=True)
                if not isinstance(error, RoadError):
                    traceback.print_exc()
                try:
                    recover(app)
                except RoadError:
                    pass
    finally:
        status = app.stop() if app else None
        session.close()
    if status != 0:
        failures.append("quit")
        print("road test: quit             FAILED: SIGTERM ended the program with status %s" % status)
    elapsed = time.monotonic() - started
    if elapsed > args.budget:
        failures.append("time")
        print("road test: the road took %.0f s, more than %d s" % (elapsed, args.budget))
    print("road test: %d steps, %d failed, %.1f s; screens in %s" % (
        len(STEPS) + 1, len(failures), elapsed, args.out))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
