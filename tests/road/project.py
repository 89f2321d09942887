"""The project on disk, as the program wrote it, and the outside tools that
read what it exported."""

import glob
import os
import plistlib
import subprocess

from app import RoadError


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


def picture_path(app, frame):
    return os.path.join(project_folder(app), "frame-%s.jpg" % frame["FRAME_ID"])


def project_meta(app):
    """The bytes of the project's frame list and metadata."""
    contents = {}
    for name in ("frames.meta", "kelbrin.meta"):
        with open(os.path.join(project_folder(app), name), "rb") as f:
            contents[name] = f.read()
    return contents


def movie_length(app):
    """The pictures of the movie: every frame as often as it is held."""
    return sum(f["DURATION"] for f in pictures(app))


def check(condition, message):
    if not condition:
        raise RoadError(message)


def tool(command):
    """Runs an outside tool; its output, or a failure naming it."""
    result = subprocess.run(command, capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise RoadError("%s refused it: %s" % (" ".join(command), (result.stderr or result.stdout).strip()[-500:]))
    return result.stdout


def resident_mb(app):
    with open("/proc/%d/status" % app.process.pid) as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024
