"""Where the road goes between screens, and how it looks at them.

The tablet's window shows the camera in the editor, above the strip; the
phone's opens the camera on a screen of its own, from the editor's camera
button, and goes back with its home button. The steps ask for the screen
they need and these helpers take the way there that the window has.
"""

import re
import time

from app import kSettleSeconds, safe_name, visible_rect
from pictures import differing_pixels
from project import check
from xsession import wait_until

# A control that both windows' editors draw, at the screen's edge where no
# popover or sheet comes over it.
kEditorMark = "editor_icon_projects"
# The project's tile in the browser, by its name.
kProjectTile = "My Stop Ziruru Movie"
# The editor's picture of the camera (the tablet's window) or of the
# frame (the phone's), and how light a popover's or a sheet's body is.
kPicture = re.compile(r"frame-.*\.jpg$")
kLight = 180
# How many pixels make a change a user sees (a slider's knob moved by a
# step, a brush's disc grown), not a pixel's rounding.
kChangedPixels = 20
# How long a window may list no control before it counts as blank (a
# screen between two others lists none for a moment).
kBlankWindowSeconds = 3


def strip_item(app, frame):
    """The strip's picture of a frame (named after its thumbnail file)."""
    return "thumb-%s.jpg" % frame["FRAME_ID"]


def where(app, *labels):
    """The first of the labels whose control the screen shows, once one
    does (a screen may still be sliding away when a step starts)."""
    return app.wait_for(lambda: next((label for label in labels if app.shows(label)), None),
                        "one of %s to show" % (labels,))


def open_card(app):
    """The project's card: the editor's projects button leaves the editor
    for it, the project's tile in the browser opens it."""
    shown = where(app, "Action", kProjectTile, kEditorMark)
    if shown == kEditorMark:
        app.tap(kEditorMark, name="leave-editor")
    elif shown == kProjectTile:
        app.tap(kProjectTile, kind="Label", name="open-card")
    app.find("Action")


def to_browser(app):
    """The project browser, behind the card that the card's Back closes."""
    if where(app, "Action", kProjectTile, kEditorMark) != kProjectTile:
        open_card(app)
        app.tap("Back", kind="BarButton", name="card-back")
    app.find(kProjectTile)


def to_editor(app):
    """The editor with its strip: from the phone's camera screen by its home
    button, from the painter by its back button, from the browser or the
    card by Edit."""
    shown = where(app, kEditorMark, "captureview_icon_home", "painter_icon_back", "Action", kProjectTile)
    if shown == kEditorMark:
        return
    if shown in ("captureview_icon_home", "painter_icon_back"):
        app.tap(shown, name="to-editor")
    else:
        open_card(app)
        app.tap("Edit", kind="BarButton", name="edit")
    app.find(kEditorMark)


def to_camera(app):
    """The camera with its shutter: the editor's in the tablet's window, the
    screen its camera button opens in the phone's."""
    if where(app, "captureview_shutter", kEditorMark, "Action", kProjectTile) != "captureview_shutter":
        to_editor(app)
        if app.phone:
            app.tap("editor_icon_camera", name="to-camera")
    app.find("captureview_shutter")


def camera_option(app, label):
    """A button of the camera's options row, which the options button shows
    where the window has no room for it otherwise."""
    if not app.shows(label):
        app.tap("captureview_icon_options", name="camera-options")
    return app.find(label)


def show_in_strip(app, frame):
    """Brings the last frame into the strip (the strip's end button goes to
    the camera's slot after it) unless it is drawn there already."""
    if not app.shows(strip_item(app, frame)):
        app.tap("editor_icon_capture_slot", name="strip-end")
    app.find(strip_item(app, frame))


def scroll_into_sight(app, label, scroll, tries=16):
    """The control, found once the window shows it whole, scroll() (a notch
    of the wheel) turned until it does: the phone's window shows a sheet's
    lower parts only scrolled."""
    height = app.session.window_geometry(app.window)[3]

    def whole():
        found = app.controls(label)
        return found and (found[-1]["visibleHeight"] >= found[-1]["height"] - 1
                          and found[-1]["visibleY"] + found[-1]["visibleHeight"] <= height)

    for _ in range(tries):
        if whole():
            break
        scroll()
    return app.find(label)


def wheel_and_wait(app, point, notches):
    """Turns the wheel over a point of the screen (root coordinates) and
    waits a moment for the controls to move."""
    before = app.controls()
    app.session.wheel(point[0], point[1], notches)
    wait_until(lambda: app.controls() != before, 1)


def clear_spot(app, shot, matches, region=None, radius=20):
    """A point of the window (x, y) within region (left, top, width, height;
    the whole window when None) where the screen's pixels all around
    match, farthest from every control the map lists (a picture as large as
    a quarter of the window counts as none); None where there is none."""
    width, height, pixels = shot
    left, top, across, down = region or (0, 0, width, height)
    controls = [c for c in app.controls() if c["visibleWidth"] * c["visibleHeight"] < width * height / 4]

    def matching_around(x, y):
        for dy in (-radius, 0, radius):
            i = ((y + dy) * width + x - radius) * 3
            for j in (i, i + radius * 3, i + 2 * radius * 3):
                if not matches(pixels[j], pixels[j + 1], pixels[j + 2]):
                    return False
        return True

    def distance(c, x, y):
        dx = max(c["visibleX"] - x, 0, x - c["visibleX"] - c["visibleWidth"])
        dy = max(c["visibleY"] - y, 0, y - c["visibleY"] - c["visibleHeight"])
        return (dx * dx + dy * dy) ** 0.5

    best = None
    for y in range(max(radius, int(top) + radius), min(height - radius, int(top + down) - radius), radius):
        for x in range(max(radius, int(left) + radius), min(width - radius, int(left + across) - radius), radius):
            room = min((distance(c, x, y) for c in controls), default=width)
            if room > radius and matching_around(x, y) and (not best or room > best[0]):
                best = (room, x, y)
    return best and best[1:]


def tap_beside(app):
    """A tap beside a popover or the settings sheet closes it: on the
    camera's or the frame's picture, where no popover's light body lies,
    far from every control."""
    shot = app.shot()
    pictures = app.controls(kPicture, kind="ImageView")
    check(pictures, "no picture shows to tap beside the popover")
    picture = pictures[-1]
    spot = clear_spot(app, shot, lambda r, g, b: max(r, g, b) < kLight, visible_rect(picture))
    check(spot, "the picture shows nowhere beside the controls to tap on")
    ox, oy = app.origin()
    app.session.click(ox + spot[0], oy + spot[1])


def window_blank(app):
    """Whether the window shows no control at all for a while (drawn black,
    as a broken screen leaves it)."""
    return not wait_until(app.controls, kBlankWindowSeconds)


def settled_region(app, region):
    """A screenshot once a region of the window (left, top, width, height)
    shows the same in two screenshots a moment apart: the rest may move (a
    live camera's picture)."""
    last = {"shot": app.shot()}

    def still():
        time.sleep(kSettleSeconds)
        shot = app.shot()
        same, last["shot"] = differing_pixels(last["shot"], shot, region) == 0, shot
        return shot if same else None

    return wait_until(still, 10) or last["shot"]


def escape(app, label, what, fade=False):
    """Escape closes what shows the control labelled label. With fade, it
    waits too until the control's place shows still: a popover fades out,
    and a click before it has gone may be lost (what click_again checks)."""
    shown = app.controls(label)[-1:]
    app.key("Escape")
    app.wait_for(lambda: not app.controls(label), "Escape to close " + what)
    if fade and shown:
        settled_region(app, visible_rect(shown[0]))


def click_again(app, opener, label, what):
    """One click at once where the opener is drawn (a control found before)
    must open what shows label again: a user clicks again as soon as a
    popover is closed, and no click may be lost to one still fading out."""
    shot = app.shot()
    app.session.click(*app.centre(opener))
    app.keep(safe_name(what) + "-click-again", shot)
    app.wait_for(lambda: app.controls(label), "one click to open %s again" % what, timeout=5)
    return app.find(label)


def slider_row(minus, plus, top=None):
    """The region from a popover's "-" button to its "+" button, the slider
    between them, from top (the buttons' own top when None) down."""
    top = minus["visibleY"] if top is None else top
    return (minus["visibleX"], top, plus["visibleX"] + plus["visibleWidth"] - minus["visibleX"],
            minus["visibleY"] + minus["visibleHeight"] - top)


def used_and_kept(app, region, use, close, reopen, what):
    """A popover used (use() changes what a region of it shows), closed and
    opened again: it shows the region as it was left."""
    before = settled_region(app, region)
    use()
    app.wait_for(lambda: differing_pixels(before, app.shot(), region) >= kChangedPixels, "%s to change" % what)
    used = settled_region(app, region)
    app.keep(safe_name(what) + "-used", used)
    close()
    reopen()
    again = settled_region(app, region)
    app.keep(safe_name(what) + "-again", again)
    check(differing_pixels(used, again, region) < kChangedPixels, "%s opened again otherwise than it was left" % what)


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
