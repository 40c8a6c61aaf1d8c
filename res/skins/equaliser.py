"""The 31-band equaliser panel of the tuning page: its face (the readout strip over the bands, the
band names under them and the buttons' column), one band's slider background, the thumbs, the band
switches and the Flat, EQ L/R Link, EQ Off and Select All buttons."""
from skingen import contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

WIDTH, HEIGHT = 773, 219
GROUND_TOP = (0x2A, 0x30, 0x37)
GROUND_BOTTOM = (0x1D, 0x21, 0x26)
READOUT_GROUND = (0x0E, 0x10, 0x14)   # the readouts' text is drawn in (146, 145, 252) over it
READOUT_RULE = (0x3A, 0x41, 0x4A)
SLOT = (0x0A, 0x0C, 0x0F)
TICK = (0x6B, 0x75, 0x80)
ZERO_TICK = (0xB4, 0xBC, 0xC4)
LABEL = (0x9C, 0xA6, 0xB0)

# Band k's slider: (48 + 22k, 38)-(70 + 22k, 198); its track runs from y 18 to 146 inside it.
BANDS = 31
SLIDER_LEFT, SLIDER_TOP, PITCH = 48, 38, 22
TRACK_W, TRACK_H = 22, 160
TRACK_TOP, TRACK_BOTTOM = 18, 146
THUMB_W, THUMB_H = 20, 10
BAND_NAMES = ["20", "25", "31", "40", "50", "63", "80", "100", "125", "160", "200", "250", "315",
              "400", "500", "630", "800", "1k", "1.2k", "1.6k", "2k", "2.5k", "3.1k", "4k", "5k",
              "6.3k", "8k", "10k", "12k", "16k", "20k"]


def ground(x, y):
    return mix(GROUND_TOP, GROUND_BOTTOM, y / (HEIGHT - 1))


def level_y(db, span=12.0):
    """Track y of a level: +span at the top of the track, -span at its bottom."""
    return TRACK_TOP + (span - db) * (TRACK_BOTTOM - TRACK_TOP) / (2 * span)


@bitmap("IDB_EQ_PANEL", WIDTH, HEIGHT)
def eq_panel():
    c = Canvas(WIDTH, HEIGHT, GROUND_TOP)
    c.vgradient(0, 0, WIDTH, HEIGHT, GROUND_TOP, GROUND_BOTTOM)
    c.fill_rect(0, 0, WIDTH, 1, READOUT_RULE)
    # The readout strip over the bands (rows 8..23; the readouts are at rows 10..21).
    right = SLIDER_LEFT + PITCH * BANDS
    c.rounded_rect(SLIDER_LEFT - 2, 7, right + 2, 24, 3, READOUT_GROUND)
    c.rounded_frame(SLIDER_LEFT - 2, 7, right + 2, 24, 3, 1, READOUT_RULE)
    c.text_in_box((2, 8, 44, 22), "EQ", fonts.sans(True), 11, ZERO_TICK)
    contrast.require((146, 145, 252), 255, READOUT_GROUND, "the band readouts")
    # The bands' slider places (each slider draws its own background over them) and their names.
    for k in range(BANDS):
        x = SLIDER_LEFT + PITCH * k
        c.text_in_box((x - 3, 201, x + PITCH + 3, 214), BAND_NAMES[k], fonts.narrow(False), 8.5, LABEL)
    # The dB marks beside the first band.
    for db, text in ((12, "+12"), (0, "0"), (-12, "-12")):
        y = SLIDER_TOP + level_y(db)
        c.text_in_box((right + 4, y - 6, right + 40, y + 6), text, fonts.narrow(False), 8.5, LABEL,
                      align="left")
    return c


@bitmap("IDB_EQ_TRACK", TRACK_W, TRACK_H)
def eq_track():
    # Drawn on the panel's own ground at the sliders' rows, so the sliders join the face.
    c = Canvas(TRACK_W, TRACK_H, GROUND_TOP)
    for y in range(TRACK_H):
        colour = ground(0, SLIDER_TOP + y)
        c.fill_rect(0, y, TRACK_W, y + 1, colour)
    c.rounded_rect(9, TRACK_TOP - 4, 13, TRACK_BOTTOM + 5, 2, SLOT)
    for db in (12, 6, 0, -6, -12):
        y = round(level_y(db))
        colour = ZERO_TICK if db == 0 else TICK
        c.fill_rect(2, y, 7, y + 1, colour)
        c.fill_rect(15, y, 20, y + 1, colour)
    return c


def thumb(face_top, face_bottom, edge, mark):
    c = Canvas(THUMB_W, THUMB_H, GROUND_TOP)
    # The thumb's corners show the ground of the track behind it at its middle rows.
    for y in range(THUMB_H):
        c.fill_rect(0, y, THUMB_W, y + 1, ground(0, SLIDER_TOP + 82))
    c.rounded_rect(0, 0, THUMB_W, THUMB_H, 2.5, lambda x, y: mix(face_top, face_bottom, y / THUMB_H))
    c.rounded_frame(0, 0, THUMB_W, THUMB_H, 2.5, 1, edge)
    c.fill_rect(3, 4, THUMB_W - 3, 6, mark)
    return c


# Columns of the tuning page's thumb: 0 outside the crossover's pass band, 1 outside and stressed,
# 2 inside the pass band, 3 inside and stressed.
THUMB_FACES = [
    (style.STEEL_200, style.STEEL_400, style.GRAPHITE_800, style.GRAPHITE_700),
    (style.WHITE, style.STEEL_300, style.INK, style.INK),
    (style.ACCENT_LIGHT, style.ACCENT_DARK, style.INK, style.WHITE),
    ((0xFF, 0xB0, 0x6A), style.ACCENT, style.INK, style.INK),
]


@strip("IDB_EQ_THUMB", THUMB_W, THUMB_H, ["outside", "outside stressed", "inside", "inside stressed"])
def eq_thumb(state):
    return thumb(*THUMB_FACES[state])


@bitmap("IDB_EQ_THUMB_PLAIN", THUMB_W, THUMB_H)
def eq_thumb_plain():
    return thumb(*THUMB_FACES[2])


SWITCH_W, SWITCH_H = 18, 12


@strip("IDB_EQ_BAND_SWITCH", SWITCH_W, SWITCH_H, ["off", "on", "disabled"])
def eq_band_switch(state):
    c = Canvas(SWITCH_W, SWITCH_H, GROUND_TOP)
    for y in range(SWITCH_H):
        c.fill_rect(0, y, SWITCH_W, y + 1, ground(0, 25 + y))
    box = (2, 2, SWITCH_W - 2, SWITCH_H - 2)
    if state == 1:
        c.rounded_rect(*box, 3, style.ACCENT)
        c.rounded_frame(*box, 3, 1, style.ACCENT_LIGHT)
    elif state == 0:
        c.rounded_rect(*box, 3, style.GRAPHITE_800)
        c.rounded_frame(*box, 3, 1, style.STEEL_500)
    else:
        c.rounded_rect(*box, 3, style.GRAPHITE_600)
        c.rounded_frame(*box, 3, 1, style.GRAPHITE_600)
    return c


# The left column's buttons stand at different x (Select All 10, EQ L/R Link 6, EQ Off 11 and 12,
# Flat 15): each draws its face over the panel's columns 15..43 only, so that the four read as one
# column of one width; the rest of its bitmap is the panel.
COLUMN_LEFT, COLUMN_RIGHT = 15, 44


def panel_button(state, lines, width, height, top, toggle, left):
    """A button of the left column: dark at rest (off), accent while pressed or on, grey when
    disabled; (left, top) is its place in the panel, whose ground it keeps around its face."""
    c = Canvas(width, height, GROUND_TOP)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, ground(0, top + y))
    x0, y0, x1, y1 = COLUMN_LEFT - left, 1, COLUMN_RIGHT - left, height - 1
    face_top, face_bottom, edge, text = {
        0: (style.GRAPHITE_600, style.GRAPHITE_800, style.INK, style.TEXT_ON_DARK),
        1: (style.ACCENT_LIGHT, style.ACCENT, style.ACCENT_DARK, style.ON_ACCENT),
        2: (style.GRAPHITE_700, style.GRAPHITE_700, style.GRAPHITE_600, style.STEEL_500),
    }[state]
    c.rounded_rect(x0, y0, x1, y1, 4, lambda x, y: mix(face_top, face_bottom, (y - y0) / (y1 - y0)))
    c.rounded_frame(x0, y0, x1, y1, 4, 1, edge)
    if toggle:  # a lamp over the label of the switches
        lamp = style.ON_ACCENT if state == 1 else style.GRAPHITE_800
        c.rounded_rect((x0 + x1) / 2 - 5, 4, (x0 + x1) / 2 + 5, 7, 1.5, lamp)
    n = len(lines)
    line_h = 10
    first = (height - n * line_h) / 2 + (2 if toggle else 0)
    for i, line in enumerate(lines):
        y = first + i * line_h
        c.text_in_box((x0, y, x1, y + line_h), line, fonts.narrow(True), 8.5, text, inactive=state == 2)
    return c


# Sizes fit the column left of the first band (x < 48) at every configuration's places.
# (lines, width, height, place on the tuning page's panel, toggle)
BUTTONS = {
    "IDB_EQ_FLAT": (["FLAT"], 30, 28, (15, 70), False),
    "IDB_EQ_LINK": (["EQ L/R", "LINK"], 38, 40, (6, 105), True),
    "IDB_EQ_OFF": (["EQ", "OFF"], 34, 36, (11, 150), True),
    "IDB_EQ_SELECT_ALL": (["SELECT", "ALL"], 36, 38, (10, 26), True),
}


def _button(name):
    lines, width, height, (left, top), toggle = BUTTONS[name]

    @strip(name, width, height, ["off", "on", "disabled"] if toggle else style.PUSH_STATES)
    def draw(state):
        return panel_button(state, lines, width, height, top, toggle, left)
    draw.__name__ = name.lower()


for _name in BUTTONS:
    _button(_name)


# The dynamic-equalisation dialog's configuration: the same face 4 rows taller (its bands sit 4
# rows lower) with the marks of its +-6 dB range.
@bitmap("IDB_EQ_DYNAMIC", WIDTH, HEIGHT + 4)
def eq_panel_dynamic():
    shift = 4
    c = Canvas(WIDTH, HEIGHT + shift, GROUND_TOP)
    c.vgradient(0, 0, WIDTH, HEIGHT + shift, GROUND_TOP, GROUND_BOTTOM)
    c.fill_rect(0, 0, WIDTH, 1, READOUT_RULE)
    right = SLIDER_LEFT + PITCH * BANDS
    c.rounded_rect(SLIDER_LEFT - 2, 7 + shift, right + 2, 24 + shift, 3, READOUT_GROUND)
    c.rounded_frame(SLIDER_LEFT - 2, 7 + shift, right + 2, 24 + shift, 3, 1, READOUT_RULE)
    c.text_in_box((2, 8 + shift, 44, 22 + shift), "EQ", fonts.sans(True), 11, ZERO_TICK)
    for k in range(BANDS):
        x = SLIDER_LEFT + PITCH * k
        c.text_in_box((x - 3, 201 + shift, x + PITCH + 3, 214 + shift), BAND_NAMES[k], fonts.narrow(False), 8.5,
                      LABEL)
    for db, text in ((6, "+6"), (0, "0"), (-6, "-6")):
        y = SLIDER_TOP + shift + level_y(db, 6.0)
        c.text_in_box((right + 4, y - 6, right + 40, y + 6), text, fonts.narrow(False), 8.5, LABEL, align="left")
    return c
