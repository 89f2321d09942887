"""The road's steps on the project's card: the player, the share sheet's
Save to Folder and the import of what it saved."""

import glob
import itertools
import json
import os
import plistlib
import re

from pictures import colour_box, is_accent, is_backdrop, is_red, is_white, read_picture
from project import check, frame_list, movie_length, picture_path, pictures, project_folder, resident_mb, tool
from screens import open_card, to_browser
from xsession import wait_until


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


def check_movie(app, path, size=(3840, 2160)):
    streams = json.loads(tool(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height",
                               "-of", "json", path]))["streams"]
    video = [s for s in streams if s["codec_type"] == "video"]
    check(video and video[0]["codec_name"] == "h264" and (video[0]["width"], video[0]["height"]) == size,
          "%s: no %d × %d H.264 video in %s" % (path, size[0], size[1], streams))


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
    card_shown(app)
    added = sorted(set(os.listdir(folder)) - before) if os.path.isdir(folder) else []
    check(len(added) == 1, "%s saved %s into %s" % (title, added, folder))
    saved = os.path.join(folder, added[0])
    check(saved in said["label"], "%r does not name %s" % (said["label"], saved))
    return saved


# The card's controls, which every way out of a share sheet brings back drawn.
kCardControls = (("Back", "BarButton"), ("Play", "BarButton"), ("Action", "BarButton"), ("Edit", "BarButton"),
                 (re.compile("(Created|Modified) "), "Label"))


def card_shown(app):
    for label, kind in kCardControls:
        app.find(label, kind=kind)


def share_exit(activity, way_out):
    """A step: the share sheet's activity left by way_out (its Cancel, or
    the Escape key) comes back to the card with its controls drawn."""
    name = "%s_%s" % (activity.split()[0].lower(), way_out.lower())

    def step(app):
        open_card(app)
        app.tap("Action", kind="BarButton", name="share-" + name)
        app.tap(activity, name=name)
        app.find("Cancel", kind="BarButton")
        if way_out == "Cancel":
            app.tap("Cancel", kind="BarButton", name=name + "-cancel")
        else:
            app.key(way_out)
        card_shown(app)
        app.keep(name + "-left")

    step.__name__ = "share_" + name
    return step


def share_save_done(app):
    """Save to Folder saves a 360p movie; its panel's Done comes back to the
    card with its controls drawn."""
    check_movie(app, save_as(app, "Medium - 360p", "medium"), (640, 360))


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
    to_browser(app)
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
