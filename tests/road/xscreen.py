"""What the X server shows, read through Xlib over one connection: window
geometry as xwininfo gives it and the screen's pixels as `import -window
root` gives them, without starting a tool for each look."""

import ctypes
import ctypes.util


class XError(Exception):
    pass


class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage (X11/Xlib.h), up to the masks.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong)]


class _XErrorEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("display", ctypes.c_void_p), ("resourceid", ctypes.c_ulong),
                ("serial", ctypes.c_ulong), ("error_code", ctypes.c_ubyte), ("request_code", ctypes.c_ubyte),
                ("minor_code", ctypes.c_ubyte)]


_ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.POINTER(_XErrorEvent))
_kAllPlanes = ctypes.c_ulong(-1).value
_kZPixmap = 2
_kLSBFirst = 0


def _xlib():
    name = ctypes.util.find_library("X11")
    if not name:
        raise XError("libX11 is not installed")
    lib = ctypes.CDLL(name)
    window, display = ctypes.c_ulong, ctypes.c_void_p
    out_int, out_uint, out_window = ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(window)
    for function, result, arguments in (
            ("XOpenDisplay", display, [ctypes.c_char_p]),
            ("XCloseDisplay", ctypes.c_int, [display]),
            ("XDefaultRootWindow", window, [display]),
            ("XSetErrorHandler", ctypes.c_void_p, [_ErrorHandler]),
            ("XSync", ctypes.c_int, [display, ctypes.c_int]),
            ("XGetGeometry", ctypes.c_int, [display, window, out_window, out_int, out_int, out_uint, out_uint,
                                            out_uint, out_uint]),
            ("XTranslateCoordinates", ctypes.c_int, [display, window, window, ctypes.c_int, ctypes.c_int, out_int,
                                                     out_int, out_window]),
            ("XGetImage", ctypes.POINTER(_XImage), [display, window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                                    ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]),
            ("XDestroyImage", ctypes.c_int, [ctypes.POINTER(_XImage)])):
        getattr(lib, function).restype = result
        getattr(lib, function).argtypes = arguments
    return lib


class ScreenReader:
    def __init__(self, display_name):
        self._lib = _xlib()
        self._errors = []
        # Xlib's own handler ends the process on an error (a window that is
        # gone): ours records it for the call that made it.
        self._handler = _ErrorHandler(self._record_error)
        self._lib.XSetErrorHandler(self._handler)
        self._display = self._lib.XOpenDisplay(display_name.encode())
        if not self._display:
            raise XError("cannot open the X display %s" % display_name)
        self._root = self._lib.XDefaultRootWindow(self._display)
        self._screen_width, self._screen_height, _ = self._geometry(self._root)

    def _record_error(self, _display, event):
        self._errors.append((event.contents.error_code, event.contents.request_code))
        return 0

    def _checked(self, what, succeeded):
        self._lib.XSync(self._display, 0)
        errors, self._errors = self._errors, []
        if errors or not succeeded:
            raise XError("%s failed (X errors %s)" % (what, errors))

    def close(self):
        if self._display:
            self._lib.XCloseDisplay(self._display)
            self._display = None

    def _geometry(self, window):
        root, x, y = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        ok = self._lib.XGetGeometry(self._display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                    ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                    ctypes.byref(depth))
        self._checked("the geometry of window %s" % window, ok)
        return width.value, height.value, border.value

    def window_geometry(self, window):
        """(x, y, width, height): where the window's upper-left corner lies
        on the screen, and its inside's size (as xwininfo gives them)."""
        width, height, border = self._geometry(window)
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        ok = self._lib.XTranslateCoordinates(self._display, window, self._root, -border, -border, ctypes.byref(x),
                                             ctypes.byref(y), ctypes.byref(child))
        self._checked("the position of window %s" % window, ok)
        return x.value, y.value, width, height

    def pixels(self, x, y, width, height):
        """The part of the rectangle that lies on the screen, as (width,
        height, RGB bytes)."""
        left, top = max(0, x), max(0, y)
        right, bottom = min(self._screen_width, x + width), min(self._screen_height, y + height)
        if right <= left or bottom <= top:
            raise XError("the rectangle %dx%d+%d+%d is off the screen" % (width, height, x, y))
        image = self._lib.XGetImage(self._display, self._root, left, top, right - left, bottom - top, _kAllPlanes,
                                    _kZPixmap)
        self._checked("a screenshot", bool(image))
        try:
            return _rgb(image.contents)
        finally:
            self._lib.XDestroyImage(image)


def _rgb(image):
    """An X image of a 24-bit TrueColor screen as 8-bit RGB bytes."""
    if (image.bits_per_pixel != 32 or image.byte_order != _kLSBFirst
            or (image.red_mask, image.green_mask, image.blue_mask) != (0xFF0000, 0xFF00, 0xFF)):
        raise XError("the screen's pixels are %d bits, masks %x %x %x; only 24-bit TrueColor is read" % (
            image.bits_per_pixel, image.red_mask, image.green_mask, image.blue_mask))
    row = image.width * 4
    data = ctypes.string_at(image.data, image.bytes_per_line * image.height)
    if image.bytes_per_line != row:
        data = b"".join(data[y * image.bytes_per_line:y * image.bytes_per_line + row] for y in range(image.height))
    rgb = bytearray(image.width * image.height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
    return image.width, image.height, bytes(rgb)
