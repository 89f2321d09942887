"""Pixels of screenshots and stored pictures: where a colour shows.

Pictures are (width, height, RGB bytes), as the X server's screenshots come;
a stored JPEG is read the same way through ImageMagick's convert.
"""

import re
import subprocess


def parse_ppm(data):
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match or match.group(3) != b"255":
        raise AssertionError("convert gave no 8-bit PPM")
    width, height = int(match.group(1)), int(match.group(2))
    pixels = data[match.end():match.end() + width * height * 3]
    if len(pixels) != width * height * 3:
        raise AssertionError("convert gave a short PPM")
    return width, height, pixels


def read_picture(path):
    """A stored picture (any format ImageMagick reads) as (width, height, RGB bytes)."""
    result = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, timeout=60)
    if result.returncode != 0:
        raise AssertionError("convert could not read %s: %s" % (path, result.stderr.decode(errors="replace")))
    return parse_ppm(result.stdout)


def is_red(r, g, b):
    return r > 170 and g < 90 and b < 90


def is_green(r, g, b):
    return g > 170 and r < 90 and b < 90


def colour_box(picture, matches, region=None, step=2):
    """The bounding box (left, top, right, bottom; right and bottom
    exclusive) of the pixels that match, sampled every step pixels, within
    region (left, top, right, bottom) when given; None when none match."""
    width, height, pixels = picture
    left, top, right, bottom = region or (0, 0, width, height)
    xs, ys = [], []
    for y in range(max(0, top), min(height, bottom), step):
        row = y * width * 3
        for x in range(max(0, left), min(width, right), step):
            i = row + x * 3
            if matches(pixels[i], pixels[i + 1], pixels[i + 2]):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def shows_at(picture, matches, x, y, radius=3):
    """Whether most pixels around (x, y) match."""
    width, height, pixels = picture
    hits, total = 0, 0
    for yy in range(max(0, y - radius), min(height, y + radius + 1)):
        for xx in range(max(0, x - radius), min(width, x + radius + 1)):
            i = (yy * width + xx) * 3
            hits += matches(pixels[i], pixels[i + 1], pixels[i + 2])
            total += 1
    return total > 0 and hits * 2 > total


def is_white(r, g, b):
    return r > 205 and g > 205 and b > 205


def is_accent(r, g, b):
    return r > 170 and g < 90 and b > 170


def is_backdrop(r, g, b):
    """The synthetic camera's grey backdrop; the render panel behind it is darker."""
    return 58 <= r <= 72 and abs(r - g) < 6 and abs(g - b) < 6


def differing_pixels(first, second, region, slack=40):
    """How many pixels of a region (left, top, width, height) two
    screenshots of the window show apart by more than slack in a channel."""
    width, height = first[0], first[1]
    left, top, across, down = (int(v) for v in region)
    count = 0
    for y in range(max(0, top), min(height, top + down)):
        row = (y * width + max(0, left)) * 3, (y * width + min(width, left + across)) * 3
        a, b = first[2][row[0]:row[1]], second[2][row[0]:row[1]]
        count += sum(1 for i in range(0, len(a), 3) if max(abs(a[i + c] - b[i + c]) for c in range(3)) > slack)
    return count
