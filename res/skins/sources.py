"""The external-source page: its face (the device picture with its inputs, the source column, the
input map and the level column), its equaliser panel's face, the source switches, the inputs on
the device picture, the input-type marks, the sensitivity scale, the two sliders and the input
map's labels."""
import functools
import math

from skingen import chart_axis, contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

GROUND = style.PANEL_GROUND
PANEL = style.PANEL_FACE
PANEL_RULE = style.PANEL_RULE
UNIT_TOP = (0x4A, 0x52, 0x5C)
UNIT_BOTTOM = (0x30, 0x36, 0x3E)
DARK_BOX = style.PANEL_WELL
# The source name's blue (A 220) reads at 4.5:1 only on black.
NAME_GROUND = (0x00, 0x00, 0x00)
LIT = style.ACCENT
SWITCH_W, SWITCH_H = 90, 29
INPUT_W, INPUT_H = 40, 34
TYPE_W, TYPE_H = 110, 30
SCALE_W, SCALE_H = 30, 158
SLIDER_W, SLIDER_H = 17, 158
TRACK_TOP, TRACK_BOTTOM = 18, 145
# The page's places (page coordinates) of what the face frames.
SELECTED_BOX = (916, 354, 1000, 379)
READOUTS = ((920, 674), (973, 674))
INPUT_PLACES = {"AUX 1": 307, "AUX 2": 365, "OPTICAL": 410, "S/PDIF": 450, "PHONE": 839}
# Where the page puts its child windows (their bitmaps carry the page under them).
SWITCH_PLACES = [(22, 352 + 31 * k) for k in range(6)]
INPUT_Y = 166
LOW_LEVEL_PLACE, HIGH_LEVEL_PLACE = (130, 164), (680, 168)
SCALE_PLACE = (903, 519)
SLIDER_PLACES = ((934, 513), (964, 513))
TYPE_LABEL_PLACE = (20, 565)
INPUT_LABEL_X, INPUT_LABEL_Y = 19, 579


def readout_box(c, x, y):
    c.rounded_rect(x - 2, y, x + 26, y + 20, 3, DARK_BOX)
    c.rounded_frame(x - 2, y, x + 26, y + 20, 3, 1, PANEL_RULE)


@functools.lru_cache(maxsize=None)
def _page():
    c = Canvas(1024, 704, GROUND)
    c.rounded_rect(8, 8, 1016, 312, 6, PANEL)
    c.rounded_frame(8, 8, 1016, 312, 6, 1, PANEL_RULE)
    c.text_in_box((28, 18, 400, 38), "EXTERNAL SOURCES", fonts.sans(True), 14, style.TEXT_ON_DARK, align="left",
                  tracking=1.2)
    c.fill_rect(28, 42, 290, 44, style.ACCENT)
    # The unit seen from its connector side; the inputs sit on it at y 166.
    c.rounded_rect(110, 110, 910, 240, 10, lambda x, y: mix(UNIT_TOP, UNIT_BOTTOM, (y - 110) / 130))
    c.rounded_frame(110, 110, 910, 240, 10, 1, style.INK)
    style.brand_mark(c, 600, 212, 20, on_dark=True, size=11.0)
    c.text_in_box((250, 118, 520, 134), "EXTERNAL INPUTS", fonts.sans(True), 9.5, style.STEEL_200, tracking=1.0)
    c.text_in_box((800, 118, 900, 134), "PHONE", fonts.sans(True), 9.5, style.STEEL_200, tracking=1.0)
    c.text_in_box((120, 118, 250, 134), "MAIN INPUTS", fonts.sans(True), 9.5, style.STEEL_200, tracking=1.0)
    for name, x in INPUT_PLACES.items():
        # The socket under each input's mark and its name under it.
        c.rounded_rect(x + 4, 164, x + 36, 202, 4, DARK_BOX)
        c.text_in_box((x - 8, 206, x + 48, 218), name, fonts.narrow(True), 8, style.STEEL_200)
    c.text_in_box((20, 256, 1000, 300), "Pick the source the unit plays; each source keeps its own equaliser "
                  "and input sensitivity. Master plays the main inputs.", fonts.sans(False), 10.5, style.NOTE)
    # The source column and the input map.
    # (The input map's type label sits at y 565, right under its panel's title.)
    for top, bottom, title, title_top in ((320, 541, "SOURCE", 330), (544, 698, "INPUTS", 546)):
        c.rounded_rect(10, top, 114, bottom, 5, PANEL)
        c.rounded_frame(10, top, 114, bottom, 5, 1, PANEL_RULE)
        c.text_in_box((14, title_top, 110, title_top + 16), title, fonts.sans(True), 9.5, style.LABEL,
                      tracking=1.0)
    # The level column: the selected source, the two sliders and their readouts.
    c.rounded_rect(893, 320, 1014, 698, 5, PANEL)
    c.rounded_frame(893, 320, 1014, 698, 5, 1, PANEL_RULE)
    c.text_in_box((896, 330, 1011, 346), "SELECTED", fonts.sans(True), 9.5, style.LABEL, tracking=1.0)
    x0, y0, x1, y1 = SELECTED_BOX
    c.rounded_rect(x0, y0, x1, y1, 4, PANEL_RULE)
    c.fill_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, NAME_GROUND)
    c.text_in_box((900, 490, 962, 506), "SENS", fonts.sans(True), 9, style.LABEL)
    c.text_in_box((952, 490, 1012, 506), "VOL", fonts.sans(True), 9, style.LABEL)
    for x, y in READOUTS:
        readout_box(c, x, y)
    # The chart stands at (118, 321) and ends at row 468, the equaliser begins at 487.
    chart_axis.frequency_numbers(c, 118 + 36, 118 + 728, 471, 484)
    # What the page writes on its boxes: the source's name and the two readouts.
    contrast.require((120, 120, 255), 220, NAME_GROUND, "the selected source's name")
    contrast.require((200, 200, 250), 255, DARK_BOX, "the sensitivity and volume readouts")
    return c


def on_page(x, y, width, height):
    """The page under a child window at (x, y): the window's bitmap starts from it, so that it
    joins the face wherever it lies (on the unit's gradient, over a readout's corner)."""
    page = _page()
    c = Canvas(width, height)
    for j in range(height):
        for i in range(width):
            c.set(i, j, page.get(x + i, y + j))
    return c


@bitmap("IDB_PAGE_SOURCES", 1024, 704)
def page_sources():
    return _page()


@bitmap("IDB_SOURCE_EQ_PANEL", 773, 217)
def source_eq_panel():
    # The tuning page's panel face, two rows shorter: the page ends under the band names.
    top, bottom = (0x2A, 0x30, 0x37), (0x1D, 0x21, 0x26)
    c = Canvas(773, 217, top)
    c.vgradient(0, 0, 773, 217, top, bottom)
    rule, ground = (0x3A, 0x41, 0x4A), (0x0E, 0x10, 0x14)
    c.fill_rect(0, 0, 773, 1, rule)
    right = 48 + 22 * 31
    c.rounded_rect(46, 7, right + 2, 24, 3, ground)
    c.rounded_frame(46, 7, right + 2, 24, 3, 1, rule)
    c.text_in_box((2, 8, 44, 22), "EQ", fonts.sans(True), 11, (0xB4, 0xBC, 0xC4))
    names = ["20", "25", "31", "40", "50", "63", "80", "100", "125", "160", "200", "250", "315", "400",
             "500", "630", "800", "1k", "1.2k", "1.6k", "2k", "2.5k", "3.1k", "4k", "5k", "6.3k", "8k",
             "10k", "12k", "16k", "20k"]
    for k, name in enumerate(names):
        x = 48 + 22 * k
        c.text_in_box((x - 3, 201, x + 25, 214), name, fonts.narrow(False), 8.5, (0x9C, 0xA6, 0xB0))
    for db, text in ((12, "+12"), (0, "0"), (-12, "-12")):
        y = 38 + 18 + (12 - db) * (146 - 18) / 24
        c.text_in_box((right + 4, y - 6, right + 40, y + 6), text, fonts.narrow(False), 8.5, (0x9C, 0xA6, 0xB0),
                      align="left")
    return c


def source_switch(state, label):
    c = on_page(*SWITCH_PLACES[0], SWITCH_W, SWITCH_H)
    face = LIT if state else style.GRAPHITE_700
    c.rounded_rect(1, 1, SWITCH_W - 1, SWITCH_H - 2, 5, face)
    c.rounded_frame(1, 1, SWITCH_W - 1, SWITCH_H - 2, 5, 1, style.ACCENT_DARK if state else style.STEEL_500)
    # A lamp at the left, then the name.
    c.rounded_rect(8, 10, 16, 18, 4, style.ON_ACCENT if state else style.STEEL_500)
    c.text_in_box((20, 2, SWITCH_W - 4, SWITCH_H - 3), label, fonts.sans(True), 10.5,
                  style.ON_ACCENT if state else style.TEXT_ON_DARK)
    return c


def _switch(name, label):
    @strip(name, SWITCH_W, SWITCH_H, ["off", "lit"])
    def draw(state):
        return source_switch(state, label)
    draw.__name__ = name.lower()


for _name, _label in (("IDB_SOURCE_AUX1", "Aux1"), ("IDB_SOURCE_AUX2", "Aux2"), ("IDB_SOURCE_SPDIF", "S/PDIF"),
                      ("IDB_SOURCE_OPTICAL", "Optical"), ("IDB_SOURCE_PHONE", "Phone"),
                      ("IDB_SOURCE_MASTER", "Master")):
    _switch(_name, _label)


def input_mark(state, optical, x):
    """An arrow into the unit's socket: grey when idle, lit when the source plays. It keeps four
    pixels of the page on each side, so that neighbouring marks never touch."""
    c = on_page(x, INPUT_Y, INPUT_W, INPUT_H)
    colour = LIT if state else style.GRAPHITE_600
    edge = style.ACCENT_DARK if state else style.STEEL_500
    arrow = [(10, 4), (30, 4), (30, 13), (35, 13), (20, 31), (5, 13), (10, 13)]
    c.polygon(arrow, colour)
    c.polyline(arrow + [arrow[0]], 1.0, edge)
    if optical:
        c.rounded_rect(15, 8, 25, 16, 2, DARK_BOX)
    else:
        c.rounded_rect(17, 7, 23, 17, 3, DARK_BOX)
    return c


def _input(name, optical, x):
    @strip(name, INPUT_W, INPUT_H, ["idle", "lit"])
    def draw(state):
        return input_mark(state, optical, x)
    draw.__name__ = name.lower()


for _name, _optical, _x in (("IDB_INPUT_AUX1", False, 307), ("IDB_INPUT_AUX2", False, 365),
                            ("IDB_INPUT_SPDIF", False, 450), ("IDB_INPUT_OPTICAL", True, 410),
                            ("IDB_INPUT_PHONE", False, 839)):
    _input(_name, _optical, _x)


def type_mark(state, text, place):
    c = on_page(*place, TYPE_W, TYPE_H)
    c.rounded_rect(1, 1, TYPE_W - 1, TYPE_H - 1, 5, LIT if state else style.GRAPHITE_700)
    c.rounded_frame(1, 1, TYPE_W - 1, TYPE_H - 1, 5, 1, style.ACCENT_DARK if state else style.INK)
    c.text_in_box((2, 2, TYPE_W - 2, TYPE_H - 2), text, fonts.sans(True), 10,
                  style.ON_ACCENT if state else style.STEEL_200, tracking=0.6)
    return c


@strip("IDB_INPUT_LOW_LEVEL", TYPE_W, TYPE_H, ["idle", "lit"])
def low_level_mark(state):
    return type_mark(state, "LOW LEVEL", LOW_LEVEL_PLACE)


@strip("IDB_INPUT_HIGH_LEVEL", TYPE_W, TYPE_H, ["idle", "lit"])
def high_level_mark(state):
    return type_mark(state, "HIGH LEVEL", HIGH_LEVEL_PLACE)


def scale(top_db, bottom_db, volts):
    """The voltages beside the sensitivity slider: its track runs from scale row 12 (top_db) to
    row 139 (bottom_db); a sensitivity g dB is 3.61 * 10^(-g / 20) V. The window reaches down over
    the readout's corner: its rows there are the page's, readout box included, and the marks end
    well above it."""
    c = on_page(*SCALE_PLACE, SCALE_W, SCALE_H)
    for v in volts:
        db = 20 * math.log10(3.61 / v)
        y = 12 + (top_db - db) * 127 / (top_db - bottom_db)
        c.fill_rect(SCALE_W - 5, round(y), SCALE_W, round(y) + 1, style.STEEL_400)
        text = f"{v:.1f}"
        c.text_in_box((0, y - 5, SCALE_W - 5, y + 5), text, fonts.narrow(False), 8, style.NOTE, align="right")
    c.text_in_box((0, 146, SCALE_W - 2, 154), "V", fonts.sans(True), 8, style.NOTE, align="right")
    return c


@strip("IDB_SENSITIVITY_SCALE", SCALE_W, SCALE_H, ["0.3 to 5.0 V", "0.6 to 10.0 V"])
def sensitivity_scale(state):
    if state == 0:
        return scale(21.5, -3.0, [0.3, 0.5, 1.0, 2.0, 5.0])
    return scale(15.5, -9.0, [0.6, 1.0, 2.0, 5.0, 10.0])


@bitmap("IDB_SOURCE_THUMB", 17, 27)
def source_thumb():
    c = Canvas(17, 27, PANEL)
    c.rounded_rect(0, 0, 17, 27, 3, lambda x, y: mix(style.STEEL_300, style.GRAPHITE_600, y / 27))
    c.rounded_frame(0, 0, 17, 27, 3, 1, style.INK)
    c.fill_rect(2, 13, 15, 14, LIT)
    return c


def slider_track(place):
    c = on_page(*place, SLIDER_W, SLIDER_H)
    c.rounded_rect(4, TRACK_TOP - 4, 10, TRACK_BOTTOM + 4, 3, DARK_BOX)
    c.fill_rect(5, TRACK_TOP, 8, TRACK_BOTTOM, style.ACCENT_DARK)
    for k in range(11):
        y = TRACK_TOP + round(k * (TRACK_BOTTOM - TRACK_TOP) / 10)
        c.fill_rect(12, y, 16 if k % 5 == 0 else 14, y + 1, style.STEEL_500)
    return c


@bitmap("IDB_SOURCE_MASTER_TRACK", SLIDER_W, SLIDER_H)
def master_track():
    return slider_track(SLIDER_PLACES[1])


@bitmap("IDB_SOURCE_SENS_TRACK", SLIDER_W, SLIDER_H)
def sensitivity_track():
    return slider_track(SLIDER_PLACES[0])


@bitmap("IDB_INPUT_TYPE_LABELS", 144, 14)
def input_type_labels():
    c = Canvas(144, 14, PANEL)
    c.text_in_box((0, 0, 72, 14), "HIGH LEVEL", fonts.sans(True), 9, style.ACCENT, align="left")
    c.text_in_box((72, 0, 144, 14), "LOW LEVEL", fonts.sans(True), 9, style.ACCENT, align="left")
    return c


INPUT_LABELS = ["Front Left Full", "Front Left TW", "Front Left MR", "Front Left WF", "Front Right Full",
                "Front Right WF", "Front Right MR", "Front Right TW", "Rear Left Full", "Rear Left WF",
                "Rear Left TW", "Rear Right Full", "Rear Right WF", "Rear Right TW", "Center Full",
                "Center WF", "Center TW", "Center", "Front Left", "Front Right", "Rear Left",
                "Rear Right", "Subwoofer", "Front Left MH", "Front Right MH", "Not Connected"]


@strip("IDB_INPUT_LABELS", 93, 13, INPUT_LABELS, vertical=True)
def input_labels(row):
    c = Canvas(93, 13, PANEL)
    name = INPUT_LABELS[row]
    colour = style.NOTE if name == "Not Connected" else style.TEXT_ON_DARK
    c.text_in_box((2, 0, 93, 13), name, fonts.narrow(False), 8.5, colour, align="left")
    return c
