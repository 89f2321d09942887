"""Where the road goes between screens, and how it looks at them."""

import time

from xsession import wait_until


def strip_item(app, frame):
    """The strip's picture of a frame (named after its thumbnail file)."""
    return "thumb-%s.jpg" % frame["FRAME_ID"]


def tap_beside(app):
    """A tap beside a popover or the settings sheet closes it: on the camera's
    picture, far from the strip, the toolbar and the sheet."""
    ox, oy = app.origin()
    app.session.click(ox + 700, oy + 250)


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


def open_card(app):
    """The project's card, opened from its tile when the browser shows."""
    if not app.shows("Action"):
        app.tap("My Stop Ziruru Movie", kind="Label", name="open-card")
    app.find("Action")
