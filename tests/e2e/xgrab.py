"""Fast reads of an X screen's pixels through libX11 (a few milliseconds for a small area,
where `import` takes a quarter of a second): for timing what the screen shows."""
import ctypes
import ctypes.util


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


_x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XGetImage.restype = ctypes.POINTER(_XImage)
_x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                           ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_ZPIXMAP = 2


class Screen:
    def __init__(self, display):
        self.d = _x11.XOpenDisplay(display.encode())
        if not self.d:
            raise RuntimeError(f"cannot open display {display}")
        self.root = _x11.XDefaultRootWindow(self.d)

    def close(self):
        if self.d:
            _x11.XCloseDisplay(self.d)
            self.d = None

    def grab(self, x, y, w, h):
        """Rows of (r, g, b) for the area, or None when it cannot be read."""
        img = _x11.XGetImage(self.d, self.root, x, y, w, h, 0xFFFFFFFF, _ZPIXMAP)
        if not img:
            return None
        try:
            im = img.contents
            if im.bits_per_pixel != 32:
                return None
            raw = ctypes.string_at(im.data, im.bytes_per_line * h)
            rows = []
            for r in range(h):
                line = raw[r * im.bytes_per_line:r * im.bytes_per_line + 4 * w]
                rows.append([(line[i + 2], line[i + 1], line[i]) for i in range(0, 4 * w, 4)])
            return rows
        finally:
            _x11.XDestroyImage(img)

    def raw(self, x, y, w, h):
        """The area's bytes as the server holds them: cheap to compare for equality."""
        img = _x11.XGetImage(self.d, self.root, x, y, w, h, 0xFFFFFFFF, _ZPIXMAP)
        if not img:
            return None
        try:
            return ctypes.string_at(img.contents.data, img.contents.bytes_per_line * h)
        finally:
            _x11.XDestroyImage(img)
