"""A painting carried between the windows: painted in the road's window,
opened in the other one and closed there without drawing, it must keep its
strokes where they were painted."""

import re

from pictures import colour_box, is_backdrop, read_picture
from project import check, picture_path, pictures
from screens import (click_again, escape, kEditorMark, settled_shot, show_in_strip, slider_row, strip_item, to_editor,
                     used_and_kept)

kOtherWindow = {"tablet": "phone", "phone": "tablet"}
# The strokes, from and to, as shares of the picture the painter shows: one
# in the upper left quarter on the first layer, one in the lower right on a
# second. Both keep clear of the middle lines by more than a brush is wide.
kStrokes = (("upper left", (0.15, 0.3), (0.35, 0.3)), ("lower right", (0.65, 0.8), (0.85, 0.8)))
# How far a channel of the stored picture must move to count as painted
# (its JPEG's own noise stays well under it).
kPaintedChange = 80
# How far a stroke may move, as a share of the picture's width, between two
# saves of the same painting.
kStrokeSlack = 0.02


def open_painter(app, frame, name):
    """The painter, opened with Draw from the frame's menu in the strip."""
    show_in_strip(app, frame)
    app.tap(strip_item(app, frame), name="select-to-" + name)
    app.tap("Draw", name=name)
    app.find("painter_icon_layers")
    # The painter's first coach mark comes once its bars have slid in.
    settled_shot(app)
    app.find("painter_icon_layers")


def picture_shown(shot, top):
    """Where the painter shows the picture: the rows of grey backdrop from
    the first below the tool bar on, down to the first row without it (the
    palette, which lets the picture show through dimly, lies below)."""
    width, height, pixels = shot

    def grey(y):
        return any(is_backdrop(*pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(0, width, 4))

    while top < height and not grey(top):  # the tools' colour bars
        top += 1
    bottom = top
    while bottom < height and grey(bottom):
        bottom += 1
    return colour_box(shot, is_backdrop, region=(0, top, width, bottom))


def draw_stroke(app, stroke):
    """Drags the brush across the picture the painter shows, under its tool
    bar, and waits for the stroke to show."""
    _, start, end = stroke
    shot = app.shot()
    bar = max(c["visibleY"] + c["visibleHeight"] for c in app.controls(re.compile("painter_icon_")))
    picture = picture_shown(shot, int(bar))
    check(picture, "the painter shows no picture")
    left, top, right, bottom = picture

    def at(share):
        return int(left + share[0] * (right - left)), int(top + share[1] * (bottom - top))

    (x0, y0), (x1, y1) = at(start), at(end)
    ox, oy = app.origin()
    app.session.drag([(ox + x0 + (x1 - x0) * step // 6, oy + y0 + (y1 - y0) * step // 6) for step in range(7)])
    middle = ((x0 + x1) // 2, (y0 + y1) // 2)
    unpainted = pixel(shot, *middle)
    app.wait_for(lambda: max(abs(a - b) for a, b in zip(pixel(app.shot(), *middle), unpainted)) > kPaintedChange,
                 "the %s stroke to show" % stroke[0], timeout=5)
    app.keep("stroke-" + stroke[0].replace(" ", "-"))


def pixel(picture, x, y):
    width, _, pixels = picture
    i = (y * width + x) * 3
    return pixels[i], pixels[i + 1], pixels[i + 2]


def layer_names(app):
    """The names in the layer list, top to bottom: the labels in line with
    the first layer's, "Layer"."""
    first = app.controls("Layer", kind="Label")
    rows = [c for c in app.controls(kind="Label") if first and c["x"] == first[0]["x"]]
    return [c["label"] for c in sorted(rows, key=lambda c: c["y"])]


def add_layer(app):
    """The layer list's Add puts a second layer over "Layer"; Escape closes
    the list, and the brush draws once it has faded."""
    app.tap("painter_icon_layers", name="layers")
    app.find("Layer", kind="Label")
    app.tap("Add", kind="BarButton", name="add-layer")
    app.wait_for(lambda: layer_names(app)[1:] == ["Layer"], "Add to put a second layer over \"Layer\"")
    escape(app, "Layer", "the layer list", fade=True)


def painter_popovers(app):
    """The painter's popovers, each closed with Escape and opened again at
    one click: the chosen brush's size popover (a tap on the chosen brush),
    whose "+" grows the brush's disc, opens again as large; the layer list
    opens again."""
    to_editor(app)
    open_painter(app, pictures(app)[-1], "draw-for-popovers")
    brush = app.tap("painter_icon_brush", name="brush-size")
    what = "the brush's size popover"

    def grow():
        for press in range(3):
            app.tap("+", name="brush-plus-%d" % press, keep=False)

    # From the window's top, over the disc, down to the slider's row.
    used_and_kept(app, slider_row(app.find("\u2212")[0], app.find("+")[0], top=0), grow,
                  lambda: escape(app, "+", what), lambda: click_again(app, brush, "+", what), what)
    escape(app, "+", what, fade=True)
    layers = app.tap("painter_icon_layers", name="layers")
    app.find("Layer", kind="Label")
    escape(app, "Layer", "the layer list")
    click_again(app, layers, "Layer", "the layer list")
    escape(app, "Layer", "the layer list", fade=True)
    close_painter(app, "back-from-popovers")


def close_painter(app, name):
    app.tap("painter_icon_back", name=name)
    app.find(kEditorMark)


def stroke_boxes(unpainted, painted):
    """Where the painting changed the picture, in each quarter of the
    strokes (left, top, right, bottom), None where it did not."""
    width, height, before = unpainted
    _, _, after = painted

    def changed(x, y):
        i = (y * width + x) * 3
        return any(abs(after[i + c] - before[i + c]) > kPaintedChange for c in range(3))

    boxes = []
    for _, start, _ in kStrokes:
        left, top = int(start[0] >= 0.5) * width // 2, int(start[1] >= 0.5) * height // 2
        xs, ys = [], []
        for y in range(top, top + height // 2, 2):
            for x in range(left, left + width // 2, 2):
                if changed(x, y):
                    xs.append(x)
                    ys.append(y)
        boxes.append((min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None)
    return boxes


def painting_between_windows(app):
    """A frame painted here, a stroke on "Layer" and one on a second layer in
    the lower right quarter, has both in the stored picture; opened with
    Draw in the other window and closed with Back, nothing drawn, it keeps
    both where they were. The road goes on in its own window."""
    to_editor(app)
    frame = pictures(app)[-1]
    path = picture_path(app, frame)
    unpainted = read_picture(path)
    open_painter(app, frame, "draw")
    draw_stroke(app, kStrokes[0])
    add_layer(app)
    draw_stroke(app, kStrokes[1])
    close_painter(app, "back")
    painted = stroke_boxes(unpainted, read_picture(path))
    for (where, _, _), box in zip(kStrokes, painted):
        check(box, "the stored picture shows no stroke in its %s quarter" % where)
    home = app.device
    other = kOtherWindow[home]
    try:
        app.restart(other)
        to_editor(app)
        open_painter(app, frame, "draw-in-" + other)
        app.keep("painting-in-" + other)
        close_painter(app, "back-in-" + other)
        reopened = stroke_boxes(unpainted, read_picture(path))
    finally:
        app.restart(home)
    slack = kStrokeSlack * unpainted[0]
    moved = ["the %s one from %s to %s" % (where, was, now)
             for (where, _, _), was, now in zip(kStrokes, painted, reopened)
             if not now or any(abs(a - b) > slack for a, b in zip(was, now))]
    check(not moved, "Draw and Back in the %s's window moved strokes of the stored picture: %s" % (
        other, "; ".join(moved)))
