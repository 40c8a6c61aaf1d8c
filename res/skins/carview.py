"""Skins of the tuning page's channel map and car view: the two backgrounds, the speaker icons by
kind, the passive-crossover groups, the listening-point seats and the plus and minus cursors."""
import math

from skingen import car, contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, cursor, strip

MAP_BG = (0x1E, 0x22, 0x28)
MAP_ROW = (0x26, 0x2B, 0x32)
MAP_RULE = (0x3A, 0x41, 0x4A)
CAR_BG = car.GROUND
CONE = (0x9A, 0xA3, 0xAD)
CONE_DARK = (0x4A, 0x52, 0x5C)


def disc(c, cx, cy, r, colour, alpha=1.0):
    points = [(cx + r * math.cos(2 * math.pi * i / 48), cy + r * math.sin(2 * math.pi * i / 48))
              for i in range(48)]
    c.polygon(points, colour, alpha)


def cone(c, cx, cy, r, selected):
    """A speaker seen from the front: basket, surround, cone and dust cap."""
    rim = style.ACCENT if selected else style.STEEL_500
    disc(c, cx, cy, r, rim)
    disc(c, cx, cy, r * 0.82, CONE_DARK)
    disc(c, cx, cy, r * 0.70, mix(CONE, style.ACCENT_LIGHT, 0.35) if selected else CONE)
    disc(c, cx, cy, r * 0.28, CONE_DARK)


# The rows' ground: the map writes its labels on it in a fixed blue (116, 113, 252), which reads at
# 4.5:1 only on a ground this dark.
MAP_WELL = style.PANEL_WELL


@bitmap("IDB_CHANNEL_MAP", 314, 296)
def channel_map():
    c = Canvas(314, 296, MAP_BG)
    c.rounded_rect(4, 4, 310, 292, 6, MAP_ROW)
    c.rounded_frame(4, 4, 310, 292, 6, 1, MAP_RULE)
    c.text_in_box((13, 10, 294, 30), "OUTPUT CHANNELS", fonts.sans(True), 11, style.STEEL_300,
                  align="left", tracking=1.0)
    c.fill_rect(13, 35, 294, 259, MAP_WELL)
    for r in range(9):
        y = 35 + 28 * r
        c.fill_rect(13, y - 1 if r else y, 294, y if r else y + 1, MAP_RULE)
    # The zone guides: mute on the left, the "fds" mark and "edit" on the right.
    for x in (48, 233, 262):
        c.fill_rect(x, 35, x + 1, 259, mix(MAP_RULE, MAP_WELL, 0.5))
    c.text_in_box((13, 264, 294, 284), "Ctrl-click combines speakers", fonts.sans(False), 10,
                  style.STEEL_400, align="left")
    # What the map writes on its rows. On a selected row its fixed grey veil (A 128, grey 120)
    # brings any ground to a mid grey, on which its fixed label blue and "edit" red stay below
    # 4.5:1 whatever the skin: only the plain rows can be held to it.
    contrast.require((116, 113, 252), 255, MAP_WELL, "the channel labels")
    contrast.require((160, 160, 160), 255, MAP_WELL, "the mute mark")
    contrast.require((100, 255, 100), 255, MAP_WELL, "the lit mute mark")
    return c


@bitmap("IDB_CAR_VIEW", 249, 406)
def car_view():
    # Its side spots' anchors are at x 28 and 217 (icons 4..53 and 193..242).
    c = Canvas(249, 406, CAR_BG)
    car.draw(c, 58, 191)
    return c


def _kind(name, frame_w, frame_h, draw):
    @strip(name, frame_w, frame_h, ["selected", "plain"])
    def frames(state):
        c = Canvas(frame_w, frame_h, CAR_BG)
        draw(c, state == 0)
        return c
    frames.__name__ = name.lower()


def _round(size):
    return lambda c, sel: cone(c, size / 2, size / 2, size / 2 - 1, sel)


def _sub(mark):
    def draw(c, sel):
        c.rounded_rect(1, 1, 55, 42, 6, style.ACCENT if sel else style.STEEL_500)
        c.rounded_rect(3, 3, 53, 40, 5, CONE_DARK)
        cone(c, 28, 21.5, 16, sel)
        if mark:
            c.text_in_box((40, 28, 54, 41), mark, fonts.sans(True), 9, style.TEXT_ON_DARK)
    return draw


_kind("IDB_ICON_WOOFER", 38, 38, _round(38))
_kind("IDB_ICON_MIDRANGE", 30, 30, _round(30))
_kind("IDB_ICON_TWEETER", 23, 23, _round(23))
_kind("IDB_ICON_SUBWOOFER", 56, 43, _sub(""))
_kind("IDB_ICON_SUB_R", 56, 43, _sub("R"))
_kind("IDB_ICON_SUB_L", 56, 43, _sub("L"))


def _passive(name, frame_w, frame_h, sizes, label, horizontal=False):
    """A passive crossover's group: its speakers in one framed box with the side's letter."""
    @strip(name, frame_w, frame_h, ["plain", "selected"])
    def frames(state):
        sel = state == 1
        c = Canvas(frame_w, frame_h, CAR_BG)
        c.rounded_rect(0, 0, frame_w, frame_h, 7, style.ACCENT if sel else style.STEEL_500)
        c.rounded_rect(2, 2, frame_w - 2, frame_h - 2, 6, mix(CONE_DARK, CAR_BG, 0.3))
        pos = 4
        for d in sizes:
            if horizontal:
                cone(c, pos + d / 2, frame_h / 2 - 4, d / 2, sel)
            else:
                cone(c, frame_w / 2 - 4, pos + d / 2, d / 2, sel)
            pos += d + 2
        c.text_in_box((frame_w - 14, frame_h - 15, frame_w - 2, frame_h - 3), label,
                      fonts.sans(True), 9, style.TEXT_ON_DARK)
        return c
    frames.__name__ = name.lower()


_passive("IDB_PASSIVE_WM_L", 49, 68, [22, 36], "L")
_passive("IDB_PASSIVE_WM_R", 49, 68, [22, 36], "R")
_passive("IDB_PASSIVE_WT_L", 49, 74, [17, 36, ], "L")
_passive("IDB_PASSIVE_WT_R", 49, 74, [17, 36], "R")
_passive("IDB_PASSIVE_MT_L", 49, 69, [17, 26], "L")
_passive("IDB_PASSIVE_MT_R", 49, 69, [17, 26], "R")
_passive("IDB_PASSIVE_WMT_L", 49, 90, [15, 24, 34], "L")
_passive("IDB_PASSIVE_WMT_R", 49, 90, [15, 24, 34], "R")
_passive("IDB_PASSIVE_WT_C", 70, 47, [17, 36], "C", horizontal=True)


def _seat(name):
    @strip(name, 18, 17, ["off", "on"])
    def frames(state):
        c = Canvas(18, 17, car.FLOOR)
        colour = style.ACCENT if state == 1 else style.STEEL_400
        c.rounded_rect(2, 1, 16, 5, 2, colour)     # head rest
        c.rounded_rect(1, 6, 17, 16, 3, colour)    # seat
        if state == 1:
            disc(c, 9, 11, 2.5, style.WHITE)
        return c
    frames.__name__ = name.lower()


for _name in ("IDB_SEAT_0", "IDB_SEAT_1", "IDB_SEAT_2", "IDB_SEAT_3"):
    _seat(_name)


def _pointer(sign):
    def draw(size):
        colour = Canvas(size, size, (0, 0, 0))
        shape = Canvas(size, size, (0, 0, 0))
        arrow = [(1, 1), (1, 18), (5, 14), (8, 21), (11, 20), (8, 13), (13, 13)]
        shape.polygon(arrow, style.WHITE)
        grown = [(x + dx, y + dy) for x, y in arrow for dx, dy in ((0, 0),)]
        shape.polyline(grown + [grown[0]], 2.0, style.WHITE)
        colour.polygon(arrow, style.WHITE)
        # The sign in a round badge at the lower right.
        disc(shape, 22, 22, 8, style.WHITE)
        disc(colour, 22, 22, 8, style.INK)
        disc(colour, 22, 22, 7, style.ACCENT if sign == "+" else style.STEEL_500)
        colour.fill_rect(18, 21, 27, 23, style.WHITE)
        if sign == "+":
            colour.fill_rect(21, 18, 23, 27, style.WHITE)
        return colour, shape
    return draw


cursor("IDC_PLUS", (1, 1))(_pointer("+"))
cursor("IDC_MINUS", (1, 1))(_pointer("-"))
