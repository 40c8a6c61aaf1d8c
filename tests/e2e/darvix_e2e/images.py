"""Pixels of the driver's screenshots (bottom-up 24-bit BMP files) for the cases that look at what
a window draws."""

import collections
import struct
from pathlib import Path

from . import layout


class Bitmap:
    def __init__(self, path):
        data = Path(path).read_bytes()
        (self._offset,) = struct.unpack_from("<I", data, 10)
        self.width, self.height = struct.unpack_from("<ii", data, 18)
        (bpp,) = struct.unpack_from("<H", data, 28)
        self._bytes = bpp // 8
        self._stride = (self.width * bpp // 8 + 3) & ~3
        self._data = data

    def pixel(self, x, y):
        """(r, g, b) at (x, y) from the top left."""
        row = (self.height - 1 - y) if self.height > 0 else y
        i = self._offset + row * self._stride + x * self._bytes
        return self._data[i + 2], self._data[i + 1], self._data[i]

    def row(self, y):
        """A row's bytes, left to right, from the top."""
        at = self._offset + (self.height - 1 - y) * self._stride
        return self._data[at : at + self.width * 3]


def chart_peak(path):
    """The chart of the tuning page in a screenshot of the main window: the 0 dB row (where the
    crossover's flat red line runs) and the highest row of the first output's green equaliser
    curve at 1 kHz. 1 kHz lies on column 412.6 of the chart; the chart sits at (264, 311) of the
    page, the page at (0, 65) of the client area. Either is None when not found."""
    b = Bitmap(path)
    left, top = layout.Tuning.CHART
    top0 = top + layout.Tuning.PAGE_TOP

    def first_row(columns, match):
        for y in range(top0 + 10, top0 + 160):
            if any(match(*b.pixel(x, y)) for x in columns):
                return y
        return None

    # The lines are anti-aliased: one on a half row lies half on each of two, there mixed with the
    # green curve drawn over it, so the red shows at half strength.
    zero = first_row(range(left + 100, left + 104), lambda r, g, bl: r > 100 and r - g > 20)
    peak = first_row(range(left + 411, left + 417), lambda r, g, bl: g - r > 15 and g - bl > 15)
    return zero, peak


def ticks_changed(base, other, items):
    """The items (0-based, top to bottom) of a menu of `items` entries whose check-mark column
    differs between two screenshots of it."""
    a, b = Bitmap(base), Bitmap(other)
    if (a.width, a.height) != (b.width, b.height):
        raise AssertionError("the menus differ in size")
    border = 3
    found = set()
    for y in range(a.height):
        # The check marks stand left of the texts, within the first 20 columns.
        if a.row(y)[3 * border : 3 * 20] != b.row(y)[3 * border : 3 * 20]:
            found.add(min(items - 1, max(0, (y - border) * items // (a.height - 2 * border))))
    return sorted(found)


def ticked_items(path, items):
    """The items (0-based, top to bottom) of a menu of `items` entries that carry a check mark, from
    one screenshot of it. The check marks stand in the first 20 columns: an item carries a tick when
    that part of its row holds pixels unlike the row's own background (its most common colour
    there); the item the keyboard highlighted is one colour across."""
    b = Bitmap(path)
    border = 3
    found = []
    for item in range(items):
        top = border + item * (b.height - 2 * border) // items
        bottom = border + (item + 1) * (b.height - 2 * border) // items
        pixels = [b.pixel(x, y) for y in range(top, bottom) for x in range(border, 20)]
        background = collections.Counter(pixels).most_common(1)[0][0]
        if any(p != background for p in pixels):
            found.append(item)
    return found


def region(path, left, right, top, bottom):
    """The pixels of columns left..right-1 and rows top..bottom-1, row by row, for comparing
    what two screenshots show there."""
    b = Bitmap(path)
    return [b.row(y)[3 * left : 3 * right] for y in range(top, bottom)]
