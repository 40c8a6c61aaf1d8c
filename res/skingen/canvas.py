"""An RGB canvas with the few anti-aliased primitives the skins are drawn with.

Shapes are described by coverage functions (signed distances for boxes and strokes, the outline
rasteriser for polygons and text) and painted with a colour, or a colour per pixel, and an alpha.
"""
import math

from . import contrast
from .ttf import layout, rasterize


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def _clamp01(v):
    return 0.0 if v <= 0.0 else (1.0 if v >= 1.0 else v)


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = bytearray(bytes(fill) * (width * height))

    # -- pixels --------------------------------------------------------------------------------
    def get(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.px[i:i + 3])

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.px[i:i + 3] = bytes(c)

    def blend(self, x, y, c, alpha):
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        i = (y * self.width + x) * 3
        if alpha >= 1.0:
            self.px[i:i + 3] = bytes(c)
            return
        for k in range(3):
            self.px[i + k] = int(round(self.px[i + k] + (c[k] - self.px[i + k]) * alpha))

    # -- areas ---------------------------------------------------------------------------------
    def fill_rect(self, x0, y0, x1, y1, c):
        """Fills [x0, x1) x [y0, y1)."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, c)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        span = max(1, y1 - y0 - 1)
        for y in range(max(0, y0), min(self.height, y1)):
            self.fill_rect(x0, y, x1, y + 1, mix(top, bottom, (y - y0) / span))

    def paint(self, coverage, box, colour, alpha=1.0):
        """Paints coverage(x + 0.5, y + 0.5) over the pixels of box (x0, y0, x1, y1).
        colour is a colour or a function (x, y) -> colour."""
        x0, y0, x1, y1 = (int(math.floor(box[0])), int(math.floor(box[1])),
                          int(math.ceil(box[2])), int(math.ceil(box[3])))
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                a = coverage(x + 0.5, y + 0.5)
                if a > 0.0:
                    self.blend(x, y, colour(x, y) if callable(colour) else colour, a * alpha)

    def rounded_rect(self, x0, y0, x1, y1, radius, colour, alpha=1.0):
        """Fills the box (x0, y0)-(x1, y1) in pixel-edge coordinates with rounded corners."""
        self.paint(rounded_box(x0, y0, x1, y1, radius), (x0, y0, x1, y1), colour, alpha)

    def rounded_frame(self, x0, y0, x1, y1, radius, width, colour, alpha=1.0):
        """A border of the given width just inside the rounded box."""
        outer = rounded_box(x0, y0, x1, y1, radius)
        inner = rounded_box(x0 + width, y0 + width, x1 - width, y1 - width, max(0.0, radius - width))
        self.paint(lambda x, y: max(0.0, outer(x, y) - inner(x, y)), (x0, y0, x1, y1), colour, alpha)

    def line(self, xa, ya, xb, yb, width, colour, alpha=1.0):
        """A stroke with round ends between two points (pixel-edge coordinates)."""
        pad = width / 2 + 1
        box = (min(xa, xb) - pad, min(ya, yb) - pad, max(xa, xb) + pad, max(ya, yb) + pad)
        self.paint(stroke(xa, ya, xb, yb, width), box, colour, alpha)

    def polyline(self, points, width, colour, alpha=1.0):
        strokes = [stroke(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
        pad = width / 2 + 1
        box = (min(p[0] for p in points) - pad, min(p[1] for p in points) - pad,
               max(p[0] for p in points) + pad, max(p[1] for p in points) + pad)
        self.paint(lambda x, y: max(s(x, y) for s in strokes), box, colour, alpha)

    def polygon(self, points, colour, alpha=1.0):
        self.fill_polygons([points], colour, alpha)

    @staticmethod
    def _coverage(polygons):
        x0 = int(math.floor(min(p[0] for poly in polygons for p in poly)))
        y0 = int(math.floor(min(p[1] for poly in polygons for p in poly)))
        x1 = int(math.ceil(max(p[0] for poly in polygons for p in poly))) + 1
        y1 = int(math.ceil(max(p[1] for poly in polygons for p in poly))) + 1
        w, h = x1 - x0, y1 - y0
        return x0, y0, w, h, rasterize([[(x - x0, y - y0) for x, y in poly] for poly in polygons], w, h)

    def fill_polygons(self, polygons, colour, alpha=1.0, gamma=1.0):
        if not polygons:
            return
        x0, y0, w, h, cover = self._coverage(polygons)
        for j in range(h):
            for i in range(w):
                a = cover[j * w + i]
                if a > 0.0:
                    if gamma != 1.0:
                        a = a ** gamma
                    c = colour(x0 + i, y0 + j) if callable(colour) else colour
                    self.blend(x0 + i, y0 + j, c, a * alpha)

    # -- text ----------------------------------------------------------------------------------
    def ground_under(self, polygons):
        """The mean colour of the pixels a shape's cores would cover (None when it covers none)."""
        if not polygons:
            return None
        x0, y0, w, h, cover = self._coverage(polygons)
        total, n = [0, 0, 0], 0
        for j in range(h):
            for i in range(w):
                if cover[j * w + i] >= 0.5 and 0 <= x0 + i < self.width and 0 <= y0 + j < self.height:
                    c = self.get(x0 + i, y0 + j)
                    for k in range(3):
                        total[k] += c[k]
                    n += 1
        return tuple(round(t / n) for t in total) if n else None

    def text(self, x, baseline, string, font, size, colour, alpha=1.0, tracking=0.0, inactive=False):
        """Draws a line of text from x on the baseline; returns its advance in pixels. The text
        must read at the minimum contrast on the ground it covers, unless it is the label of an
        inactive (disabled) control."""
        polygons, advance = text_outline(string, font, size, tracking)
        placed = [[(x + px, baseline + py) for px, py in poly] for poly in polygons]
        if not inactive and not callable(colour):
            ground = self.ground_under(placed)
            if ground is not None:
                contrast.require(colour, round(255 * alpha), ground, f'the text "{string}"')
        self.fill_polygons(placed, colour, alpha, gamma=0.85)
        return advance

    def text_in_box(self, box, string, font, size, colour, align="center", alpha=1.0,
                    tracking=0.0, inactive=False):
        """Text centred vertically on its capitals inside box, aligned left, centre or right."""
        x0, y0, x1, y1 = box
        width = text_width(string, font, size, tracking)
        if align == "left":
            x = x0
        elif align == "right":
            x = x1 - width
        else:
            x = round(x0 + (x1 - x0 - width) / 2)
        baseline = round(y0 + (y1 - y0 + font.cap_height() * size / font.units_per_em) / 2)
        return self.text(x, baseline, string, font, size, colour, alpha, tracking, inactive)

    # -- composition ---------------------------------------------------------------------------
    def blit(self, src, x, y):
        for j in range(src.height):
            for i in range(src.width):
                self.set(x + i, y + j, src.get(i, j))

    def rgb(self):
        return bytes(self.px)


def hstack(frames):
    """Frames side by side: a button strip, frame index = state."""
    out = Canvas(sum(f.width for f in frames), max(f.height for f in frames))
    x = 0
    for f in frames:
        out.blit(f, x, 0)
        x += f.width
    return out


def vstack(rows):
    """Rows stacked from the top: a strip whose row index is the selected item."""
    out = Canvas(max(r.width for r in rows), sum(r.height for r in rows))
    y = 0
    for r in rows:
        out.blit(r, 0, y)
        y += r.height
    return out


def rounded_box(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2, (y1 - y0) / 2
    r = max(0.0, min(radius, hx, hy))

    def coverage(x, y):
        qx = abs(x - cx) - (hx - r)
        qy = abs(y - cy) - (hy - r)
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        d = outside + min(max(qx, qy), 0.0) - r
        return _clamp01(0.5 - d)
    return coverage


def stroke(xa, ya, xb, yb, width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def coverage(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        d = math.hypot(x - (xa + t * dx), y - (ya + t * dy))
        return _clamp01(width / 2 + 0.5 - d)
    return coverage


def text_outline(string, font, size, tracking=0.0):
    if not tracking:
        return layout(font, string, size)
    polygons, pen = [], 0.0
    for ch in string:
        polys, advance = layout(font, ch, size)
        polygons += [[(pen + x, y) for x, y in poly] for poly in polys]
        pen += advance + tracking
    return polygons, pen - tracking if string else 0.0


def text_width(string, font, size, tracking=0.0):
    return text_outline(string, font, size, tracking)[1]


def wrap(text, font, size, width):
    """Words of text in lines no wider than width (a single long word stands alone)."""
    lines, line = [], ""
    for word in text.split():
        trial = word if not line else line + " " + word
        if line and text_width(trial, font, size) > width:
            lines.append(line)
            line = word
        else:
            line = trial
    if line:
        lines.append(line)
    return lines
