"""The road's steps in the editor: the camera, the strip and its menus, the
crop editor and the movie-settings sheet."""

import re
import time

from pictures import colour_box, is_backdrop, is_green, is_red, is_white, read_picture, shows_at
from project import check, frame_list, picture_path, pictures, project_meta
from screens import (camera_option, clear_spot, click_again, escape, kEditorMark, scroll_into_sight, settled_shot,
                     slider_row, strip_item, tap_beside, to_camera, to_editor, used_and_kept, wheel_and_wait)
from xsession import wait_until

kShutterPresses = 14


def first_launch(app):
    """A fresh profile greets with the welcome pager; Skip leads to the browser."""
    app.tap("Skip")
    app.find("explorer_icon_new_ios7")


def new_project(app):
    """The new-project entry opens the editor, and the camera from it."""
    app.tap("explorer_icon_new_ios7")
    app.find(kEditorMark)
    to_camera(app)


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


def hold(app):
    """Hold with "+" pressed twice holds the frame three times; the hold
    panel, closed with a tap beside it, opens again with that hold."""
    to_editor(app)
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
    app.tap(strip_item(app, frame), name="select-for-hold-3")
    app.tap("Hold", name="hold-again")
    app.find("Hold 3 times")
    escape(app, "Hold 3 times", "the hold panel")
    app.find(kEditorMark)


def menu_escape(app, frame):
    """A tap on a frame opens its menu; Escape closes it."""
    app.tap(strip_item(app, frame), name="select-for-menu")
    app.find("Crop")
    app.keep("menu")
    escape(app, "Crop", "the frame's menu")
    app.find(kEditorMark)
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
    # On the picture, away from the editor's buttons.
    start = clear_spot(app, zoomed, is_backdrop)
    check(start, "the crop editor shows no grey of the picture to drag")
    app.session.drag([(ox + start[0] - step * shift // 4, oy + start[1]) for step in range(5)])
    dragged = settled_shot(app)
    app.keep("crop-drag", dragged)
    moved = colour_box(dragged, is_red)
    check(moved and abs((grown[2] - moved[2]) - shift) <= 8,
          "a drag of %d to the left moved the red corner's right edge from %d to %s" % (
              shift, grown[2], moved and moved[2]))
    app.tap("Done", name="crop-done")
    app.find(kEditorMark)
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

    # Up to the top: the phone's sheet takes more than ten notches.
    for _ in range(8):
        scroll_sheet(app, height, 10)
        if tiles_in_sight(kSheetRows[0][0]):
            break
    for row, last in kSheetRows:
        # A notch at a time: the phone's sheet at half height shows little
        # more than a row, which two notches would pass.
        for _ in range(16):
            tiles = tiles_in_sight(row)
            if tiles:
                break
            scroll_sheet(app, height, -1)
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
    app.keep("sheet-at-%s-height" % height)


def settings_wheel(app):
    """The wheel over every row of the movie-settings sheet, at half and at
    full height, only scrolls: it chooses no tile, and the project's frame
    list and metadata stay as they were, byte for byte."""
    to_editor(app)
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
    to_editor(app)
    app.tap("editor_icon_theme")
    app.find("Outline")
    app.keep("settings-sheet")
    app.tap("Outline")
    name, _ = app.find("Movie Name:")
    for label in ("Starring:", "Studio Name:"):
        scroll_into_sight(app, label, lambda: wheel_and_wait(app, app.centre(name), -1))
    app.keep("outline")
    tap_beside(app)
    app.wait_for(lambda: not app.controls("Movie Name:"), "the settings sheet to close")
    app.find("editor_icon_theme")
    app.keep("sheet-closed")


# The picker tiles of the settings sheet's lower rows, which come into view
# when the sheet is expanded.
kSheetTiles = ("foreground_21.png", "fade_1.png", "edit_effect_1.png", "mask_1.png")


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
    to_editor(app)
    app.tap("editor_icon_theme", name="sheet-to-expand")
    app.tap("theme_view_btn_open.png", kind="BarButton", name="chevron")
    app.find("theme_view_btn_close.png", kind="BarButton")
    app.find(kSheetTiles[0])
    shot = settled_shot(app, 0.3)
    app.keep("sheet-expanded", shot)
    bar = app.controls("Done", kind="BarButton")[-1]
    title = app.controls("Theme", kind="Label")
    check(title and title[0]["y"] == bar["y"] + bar["height"],
          "the expanded sheet's first title at %s, the navigation bar ends at %s" % (
              title and title[0]["y"], bar["y"] + bar["height"]))
    # The phone's window shows the lower rows once the sheet is scrolled.
    for tile in kSheetTiles:
        control, shot = scroll_into_sight(app, tile, lambda: scroll_sheet(app, "full", -1))
        margin, glyphs = caption_rows(shot, control)
        check(margin >= 1 and glyphs >= 5, "%s: the caption's letters %d rows high, %d rows of its bar under "
              "them: cut off by the tile's edge" % (tile, glyphs, margin))
    app.keep("sheet-expanded-rows", shot)
    app.tap("Done", kind="BarButton", name="sheet-done")
    app.wait_for(lambda: not app.controls("mask_1.png"), "Done to close the settings sheet")
    app.find("editor_icon_theme")


def leave_editor(app):
    """The projects button leaves the editor for the project's card."""
    to_editor(app)
    app.tap("editor_icon_projects")
    app.find("Action")
    app.find(re.compile("Modified"))
    app.keep("card")


def green_screen(app):
    """The camera's source popover chooses the green screen; the green
    screen's popover opens from its button, moves its sensitivity with "+",
    closes with Escape, and opens again at one click at once with the
    sensitivity it was left at; the source popover, opened again, chooses
    the camera."""
    to_camera(app)
    camera_option(app, "captureview_icon_source")
    app.tap("captureview_icon_source", name="sources")
    app.tap("Green Screen", name="source-green-screen")
    app.wait_for(lambda: not app.controls("Remote Camera"), "the source popover to close")
    button = app.tap("capturesource_icon_chroma.png", name="green-screen")
    what = "the green screen's popover"
    used_and_kept(app, slider_row(app.find("-")[0], app.find("+")[0]), lambda: app.tap("+", name="sensitivity-plus"),
                  lambda: escape(app, "Sensitivity", what), lambda: click_again(app, button, "Sensitivity", what), what)
    tap_beside(app)
    app.wait_for(lambda: not app.controls("Sensitivity"), "a tap beside to close " + what)
    camera_option(app, "captureview_icon_source")
    app.tap("captureview_icon_source", name="sources-again")
    app.tap("Camera", kind="Label", name="source-camera")
    app.wait_for(lambda: not app.controls("capturesource_icon_chroma.png"), "the camera to replace the green screen")
    app.find("captureview_shutter")


kSpeedLabel = re.compile(r"\d\d:\d\d at (\d+) FPS$")


def movie_speed(app):
    """The speed popover's frames per second, as it reads them."""
    return int(kSpeedLabel.match(app.find(kSpeedLabel)[0]["label"]).group(1))


def speed(app):
    """The speed popover: "+" speeds the movie up by a frame a second; closed
    with Escape and opened again at one click it reads the new speed, and "-" takes it
    back before a tap beside closes it."""
    to_editor(app)
    button = app.tap("editor_icon_speed", name="speed")
    fps = movie_speed(app)
    app.tap("+", name="speed-plus")
    app.wait_for(lambda: movie_speed(app) == fps + 1, "\"+\" to speed the movie up to %d frames a second" % (fps + 1))
    escape(app, kSpeedLabel, "the speed popover")
    click_again(app, button, kSpeedLabel, "the speed popover")
    check(movie_speed(app) == fps + 1, "the speed popover opened again at %d frames a second" % movie_speed(app))
    app.tap("-", name="speed-minus")
    app.wait_for(lambda: movie_speed(app) == fps, "\"-\" to take the movie back to %d frames a second" % fps)
    tap_beside(app)
    app.wait_for(lambda: not app.controls(kSpeedLabel), "a tap beside to close the speed popover")
    app.find(kEditorMark)


kThemeCard = re.compile(r"theme_\d\d$")


def media(app):
    """The media popover opens the theme cards' chooser, whose Cancel, and
    opened again its Escape, add no frame."""
    to_editor(app)
    frames = frame_list(app)
    for visit, way_out in enumerate(("Cancel", "Escape")):
        app.tap("editor_icon_media", name="media-%d" % visit)
        app.tap("Theme Cards", name="theme-cards-%d" % visit)
        app.find(kThemeCard, kind="Button")
        if way_out == "Cancel":
            app.tap("Cancel", kind="BarButton", name="theme-cards-cancel")
        else:
            app.key(way_out)
        app.wait_for(lambda: not app.controls(kThemeCard), "%s to close the theme cards' chooser" % way_out)
        app.find(kEditorMark)
    check(frame_list(app) == frames, "leaving the theme cards' chooser changed the frames")
