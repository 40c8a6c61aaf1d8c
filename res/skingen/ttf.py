"""A small TrueType reader and anti-aliased rasteriser (glyf outlines, cmap format 4, hmtx, kern).

The skins carry their labels as pixels, so the build needs text without any third-party module.
Outlines are flattened into line segments and filled with the non-zero rule, sampled on several
sub-scanlines per pixel row with exact horizontal coverage: crisp stems, smooth curves.
"""
import struct


class Font:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.path = path
        self.tables = {}
        num_tables = struct.unpack_from(">H", self.data, 4)[0]
        for i in range(num_tables):
            tag, _, offset, length = struct.unpack_from(">4sIII", self.data, 12 + 16 * i)
            self.tables[tag.decode("latin-1")] = (offset, length)
        for tag in ("head", "maxp", "hhea", "hmtx", "cmap", "loca", "glyf"):
            if tag not in self.tables:
                raise ValueError(f"{path}: no '{tag}' table (not a TrueType outline font)")
        head = self.tables["head"][0]
        self.units_per_em = struct.unpack_from(">H", self.data, head + 18)[0]
        self.long_loca = struct.unpack_from(">h", self.data, head + 50)[0] == 1
        self.num_glyphs = struct.unpack_from(">H", self.data, self.tables["maxp"][0] + 4)[0]
        hhea = self.tables["hhea"][0]
        self.ascender, self.descender = struct.unpack_from(">hh", self.data, hhea + 4)
        self.num_hmetrics = struct.unpack_from(">H", self.data, hhea + 34)[0]
        self.cmap = self._read_cmap()
        self.kerning = self._read_kern()
        self._outlines = {}

    def _u16(self, off):
        return struct.unpack_from(">H", self.data, off)[0]

    def _read_cmap(self):
        base = self.tables["cmap"][0]
        count = self._u16(base + 2)
        chosen = None
        for i in range(count):
            platform, encoding, offset = struct.unpack_from(">HHI", self.data, base + 4 + 8 * i)
            if self._u16(base + offset) == 4 and (platform, encoding) in ((3, 1), (0, 3), (0, 4)):
                chosen = base + offset
                break
        if chosen is None:
            raise ValueError(f"{self.path}: no Unicode cmap of format 4")
        seg_count = self._u16(chosen + 6) // 2
        ends = chosen + 14
        starts = ends + 2 * seg_count + 2
        deltas = starts + 2 * seg_count
        ranges = deltas + 2 * seg_count
        table = {}
        for s in range(seg_count):
            end = self._u16(ends + 2 * s)
            start = self._u16(starts + 2 * s)
            delta = struct.unpack_from(">h", self.data, deltas + 2 * s)[0]
            range_offset = self._u16(ranges + 2 * s)
            for code in range(start, min(end, 0x2FFF) + 1):
                if range_offset == 0:
                    glyph = (code + delta) & 0xFFFF
                else:
                    at = ranges + 2 * s + range_offset + 2 * (code - start)
                    glyph = self._u16(at)
                    if glyph:
                        glyph = (glyph + delta) & 0xFFFF
                if glyph:
                    table[code] = glyph
        return table

    def _read_kern(self):
        pairs = {}
        if "kern" not in self.tables:
            return pairs
        base = self.tables["kern"][0]
        if self._u16(base) != 0:
            return pairs
        n_tables = self._u16(base + 2)
        off = base + 4
        for _ in range(n_tables):
            length = self._u16(off + 2)
            coverage = self._u16(off + 4)
            if coverage >> 8 == 0 and coverage & 1:
                n_pairs = self._u16(off + 6)
                for p in range(n_pairs):
                    left, right, value = struct.unpack_from(">HHh", self.data, off + 14 + 6 * p)
                    pairs[(left, right)] = value
            off += length
        return pairs

    def cap_height(self):
        """Height of the capitals in font units (OS/2 sCapHeight, else the top of 'H')."""
        if "OS/2" in self.tables:
            base = self.tables["OS/2"][0]
            if self._u16(base) >= 2:
                value = struct.unpack_from(">h", self.data, base + 88)[0]
                if value > 0:
                    return value
        off = self._glyph_offset(self.glyph_index("H"))
        return struct.unpack_from(">h", self.data, off + 8)[0] if off else self.ascender

    def glyph_index(self, ch):
        return self.cmap.get(ord(ch), 0)

    def advance(self, glyph):
        hmtx = self.tables["hmtx"][0]
        i = min(glyph, self.num_hmetrics - 1)
        return self._u16(hmtx + 4 * i)

    def _glyph_offset(self, glyph):
        loca = self.tables["loca"][0]
        if self.long_loca:
            a, b = struct.unpack_from(">II", self.data, loca + 4 * glyph)
        else:
            a, b = (2 * v for v in struct.unpack_from(">HH", self.data, loca + 2 * glyph))
        return (None if a == b else self.tables["glyf"][0] + a)

    def outline(self, glyph):
        """Contours of a glyph as lists of (x, y, on_curve) in font units."""
        if glyph in self._outlines:
            return self._outlines[glyph]
        contours = []
        off = self._glyph_offset(glyph) if glyph < self.num_glyphs else None
        if off is not None:
            n = struct.unpack_from(">h", self.data, off)[0]
            if n >= 0:
                contours = self._simple(off, n)
            else:
                contours = self._composite(off)
        self._outlines[glyph] = contours
        return contours

    def _simple(self, off, n_contours):
        p = off + 10
        ends = list(struct.unpack_from(f">{n_contours}H", self.data, p))
        p += 2 * n_contours
        n_points = ends[-1] + 1 if ends else 0
        p += 2 + self._u16(p)  # skip the hinting instructions
        flags = []
        while len(flags) < n_points:
            flag = self.data[p]
            p += 1
            flags.append(flag)
            if flag & 8:
                flags.extend([flag] * self.data[p])
                p += 1
        flags = flags[:n_points]
        coords = []
        for short_bit, same_bit in ((2, 16), (4, 32)):
            value, values = 0, []
            for flag in flags:
                if flag & short_bit:
                    d = self.data[p]
                    p += 1
                    value += d if flag & same_bit else -d
                elif not flag & same_bit:
                    value += struct.unpack_from(">h", self.data, p)[0]
                    p += 2
                values.append(value)
            coords.append(values)
        contours, start = [], 0
        for end in ends:
            contours.append([(coords[0][i], coords[1][i], bool(flags[i] & 1))
                             for i in range(start, end + 1)])
            start = end + 1
        return contours

    def _composite(self, off):
        p = off + 10
        contours = []
        while True:
            flags, glyph = struct.unpack_from(">HH", self.data, p)
            p += 4
            if flags & 1:
                a, b = struct.unpack_from(">hh", self.data, p)
                p += 4
            else:
                a, b = struct.unpack_from(">bb", self.data, p)
                p += 2
            xx, xy, yx, yy = 1.0, 0.0, 0.0, 1.0
            if flags & 8:
                xx = yy = struct.unpack_from(">h", self.data, p)[0] / 16384.0
                p += 2
            elif flags & 0x40:
                xx, yy = (v / 16384.0 for v in struct.unpack_from(">hh", self.data, p))
                p += 4
            elif flags & 0x80:
                xx, xy, yx, yy = (v / 16384.0 for v in struct.unpack_from(">hhhh", self.data, p))
                p += 8
            dx, dy = (a, b) if flags & 2 else (0, 0)
            for contour in self.outline(glyph):
                contours.append([(x * xx + y * yx + dx, x * xy + y * yy + dy, on)
                                 for x, y, on in contour])
            if not flags & 0x20:
                break
        return contours


def _flatten(contour, steps=6):
    """Closed polyline of a quadratic B-spline contour."""
    pts = list(contour)
    if not pts:
        return []
    if not pts[0][2]:
        if pts[-1][2]:
            pts.insert(0, pts.pop())
        else:
            pts.insert(0, ((pts[0][0] + pts[-1][0]) / 2, (pts[0][1] + pts[-1][1]) / 2, True))
    expanded = []
    for i, pt in enumerate(pts):
        prev = pts[i - 1] if i else None
        if prev is not None and not prev[2] and not pt[2]:
            expanded.append(((prev[0] + pt[0]) / 2, (prev[1] + pt[1]) / 2, True))
        expanded.append(pt)
    out = [(expanded[0][0], expanded[0][1])]
    n = len(expanded)
    i = 1
    while i <= n:
        pt = expanded[i % n]
        if pt[2]:
            out.append((pt[0], pt[1]))
            i += 1
        else:
            ctrl, end = pt, expanded[(i + 1) % n]
            x0, y0 = out[-1]
            for s in range(1, steps + 1):
                t = s / steps
                u = 1 - t
                out.append((u * u * x0 + 2 * u * t * ctrl[0] + t * t * end[0],
                            u * u * y0 + 2 * u * t * ctrl[1] + t * t * end[1]))
            i += 2
    return out


def rasterize(polygons, width, height, subsamples=5):
    """Coverage (0..1) per pixel of closed polygons (pixel coordinates, y down), non-zero rule."""
    edges = []
    for poly in polygons:
        for i in range(len(poly)):
            x0, y0 = poly[i - 1]
            x1, y1 = poly[i]
            if y0 == y1:
                continue
            direction = 1 if y1 > y0 else -1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), direction))
    cover = [0.0] * (width * height)
    if not edges:
        return cover
    weight = 1.0 / subsamples
    top = max(0, int(min(e[0] for e in edges)))
    bottom = min(height, int(max(e[1] for e in edges)) + 1)
    for row in range(top, bottom):
        base = row * width
        for s in range(subsamples):
            y = row + (s + 0.5) / subsamples
            xs = [(x0 + (y - y0) * slope, d) for y0, y1, x0, slope, d in edges if y0 <= y < y1]
            if not xs:
                continue
            xs.sort()
            winding = 0
            for k in range(len(xs) - 1):
                winding += xs[k][1]
                if winding == 0:
                    continue
                a = max(0.0, xs[k][0])
                b = min(float(width), xs[k + 1][0])
                if b <= a:
                    continue
                ia, ib = int(a), int(b)
                if ia == ib:
                    cover[base + ia] += (b - a) * weight
                    continue
                cover[base + ia] += (ia + 1 - a) * weight
                for px in range(ia + 1, ib):
                    cover[base + px] += weight
                if ib < width:
                    cover[base + ib] += (b - ib) * weight
    return [min(1.0, c) for c in cover]


def layout(font, text, size_px):
    """Polygons of a line of text with its origin at (0, 0) on the baseline; and its advance."""
    scale = size_px / font.units_per_em
    polygons, pen, previous = [], 0.0, None
    for ch in text:
        glyph = font.glyph_index(ch)
        if previous is not None:
            pen += font.kerning.get((previous, glyph), 0) * scale
        for contour in font.outline(glyph):
            polygons.append([(pen + x * scale, -y * scale) for x, y in _flatten(contour)])
        pen += font.advance(glyph) * scale
        previous = glyph
    return polygons, pen
