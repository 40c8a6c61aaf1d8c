"""The output-level page: its face with the fader places, readout boxes and labels, the fader
background and thumb, the clip indicators, the mute and Link switches and the channel icons."""
from skingen import contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

WIDTH, HEIGHT = 1007, 503
# The page fills the rows around the face with the pages' dark ground (pages/output_level.cpp), and
# the face's margin is of that ground too: the level page reads as one dark page like the others,
# with no band where the face ends.
GROUND = style.PANEL_GROUND
GROUP = style.PANEL_FACE
READOUT = style.PANEL_WELL
FADER_H = 229
FADER_TOP = 118
TRACK_TOP, TRACK_BOTTOM = 15, 212   # inside the fader: the thumb centre's travel
# The channel icons stand at page (125 + 72 c, 535); the face lies 8 pixels right and 100 down.
ICON_TOP = 535 - 100
ICON_H = 36


def fader_places():
    """(left, label, lowest dB) of the ten faders in skin coordinates."""
    places = [(132 + 72 * c, f"OUT {c + 1}", -40) for c in range(8)]
    return places + [(726, "MASTER", -60), (838, "SUB", -12)]


def level_y(db, lowest):
    """The face row of a fader's thumb centre at db (0 at the top of its travel)."""
    return FADER_TOP + TRACK_BOTTOM - (db - lowest) * (TRACK_BOTTOM - TRACK_TOP) / (0 - lowest)


def scale(c, left, lowest):
    """A dB scale right of the fader at left: 0 at the top, the fader's lowest level at the
    bottom, a mark and a number every step."""
    step = 10 if lowest <= -40 else 3
    for db in range(0, lowest - 1, -step):
        y = level_y(db, lowest)
        c.fill_rect(left + 34, round(y), left + 38, round(y) + 1, style.STEEL_400)
        c.text_in_box((left + 41, y - 5, left + 64, y + 5), str(db), fonts.narrow(False), 8.5, style.NOTE,
                      align="left")


@bitmap("IDB_PAGE_LEVELS", WIDTH, HEIGHT)
def page_levels():
    c = Canvas(WIDTH, HEIGHT, GROUND)
    c.rounded_frame(6, 6, WIDTH - 6, HEIGHT - 6, 8, 1, style.PANEL_RULE)
    c.text_in_box((24, 18, 400, 40), "OUTPUT LEVELS", fonts.sans(True), 14, style.TEXT_ON_DARK, align="left",
                  tracking=1.2)
    c.fill_rect(24, 44, 400, 46, style.ACCENT)
    # The channel group and the master group, each on a raised face.
    for x0, x1 in ((110, 700), (708, 900)):
        c.rounded_rect(x0, 52, x1, 428, 6, GROUP)
        c.rounded_frame(x0, 52, x1, 428, 6, 1, style.PANEL_RULE)
    for left, label, lowest in fader_places():
        centre = left + 17
        c.text_in_box((centre - 30, 56, centre + 30, 72), label, fonts.sans(True), 10.5, style.LABEL)
        scale(c, left, lowest)
        # The readout box under the fader.
        c.rounded_rect(left + 1, 352, left + 33, 380, 3, READOUT)
        c.rounded_frame(left + 1, 352, left + 33, 380, 3, 1, style.PANEL_RULE)
    c.text_in_box((726, 80, 900, 100), "VOLUME", fonts.sans(True), 10, style.NOTE, align="left")
    c.text_in_box((838, 80, 900, 100), "LEVEL", fonts.sans(True), 10, style.NOTE, align="left")
    # Labels of the mute row, the Link switch and the icon row.
    c.text_in_box((20, 399, 104, 419), "MUTE", fonts.sans(True), 10.5, style.LABEL, align="right")
    c.text_in_box((40, 344, 100, 360), "LINK", fonts.sans(True), 10.5, style.LABEL)
    c.text_in_box((20, 78, 104, 112), "CLIP", fonts.sans(True), 10.5, style.LABEL, align="right")
    # The speaker row: one well under the eight icons, each icon's place marked.
    c.rounded_rect(110, ICON_TOP - 6, 700, ICON_TOP + ICON_H + 6, 6, GROUP)
    c.rounded_frame(110, ICON_TOP - 6, 700, ICON_TOP + ICON_H + 6, 6, 1, style.PANEL_RULE)
    c.text_in_box((20, ICON_TOP, 104, ICON_TOP + ICON_H), "SPEAKER", fonts.sans(True), 10.5, style.LABEL,
                  align="right")
    for k in range(1, 8):
        x = 117 + 72 * k
        c.fill_rect(x - 1, ICON_TOP + 4, x, ICON_TOP + ICON_H - 4, style.PANEL_RULE)
    style.brand_mark(c, 900, ICON_TOP + 4, 28, on_dark=True, size=12.0)
    # The level readouts, as the page draws them on their boxes.
    contrast.require((220, 220, 255), 220, READOUT, "the level readouts")
    return c


@bitmap("IDB_LEVEL_FADER", 34, FADER_H)
def fader_background():
    c = Canvas(34, FADER_H, GROUP)
    # The slot around the track (x 18..20), the thumb's travel; the dB marks are the face's.
    c.rounded_rect(15, 10, 23, 218, 3, style.PANEL_WELL)
    c.rounded_frame(15, 10, 23, 218, 3, 1, style.INK)
    c.fill_rect(18, TRACK_TOP, 20, TRACK_BOTTOM, style.ACCENT_DARK)
    return c


@bitmap("IDB_LEVEL_THUMB", 21, 31)
def fader_thumb():
    c = Canvas(21, 31, GROUP)
    c.rounded_rect(0, 0, 21, 31, 3, lambda x, y: mix(style.STEEL_300, style.GRAPHITE_600, y / 31))
    c.rounded_frame(0, 0, 21, 31, 3, 1, style.INK)
    c.fill_rect(2, 15, 19, 16, style.ACCENT)
    return c


CLIP_ON = (0xFF, 0x3B, 0x2F)


@strip("IDB_LEVEL_CLIP", 37, 38, ["off", "lit"])
def clip_indicator(state):
    """A lamp: unlit it is dark glass in its bezel, with no red at all; lit it glows red."""
    c = Canvas(37, 38, GROUP)
    c.rounded_rect(5, 6, 32, 33, 13.5, style.INK)
    c.rounded_frame(5, 6, 32, 33, 13.5, 1, style.GRAPHITE_600)
    if state:
        c.rounded_rect(3, 4, 34, 35, 15.5, CLIP_ON, 0.30)  # the glow
        c.rounded_rect(8, 9, 29, 30, 10.5, CLIP_ON)
        c.rounded_rect(12, 12, 20, 17, 2.5, style.WHITE, 0.55)
    else:
        c.rounded_rect(8, 9, 29, 30, 10.5, style.GRAPHITE_800)
        c.rounded_rect(12, 12, 20, 17, 2.5, style.WHITE, 0.06)
    return c


@strip("IDB_LEVEL_LINK", 35, 38, ["off", "on"])
def link_switch(state):
    c = Canvas(35, 38, GROUND)
    face = style.ACCENT if state else style.GRAPHITE_700
    c.rounded_rect(2, 3, 33, 35, 5, face)
    c.rounded_frame(2, 3, 33, 35, 5, 1, style.ACCENT_DARK if state else style.STEEL_500)
    colour = style.ON_ACCENT if state else style.STEEL_300
    # Two chain links.
    c.rounded_frame(7, 14, 19, 23, 4, 2, colour)
    c.rounded_frame(16, 14, 28, 23, 4, 2, colour)
    return c


@strip("IDB_LEVEL_MUTE", 21, 20, ["off", "muted"])
def mute_switch(state):
    c = Canvas(21, 20, GROUP)
    c.rounded_rect(1, 1, 20, 19, 3, style.DANGER if state else style.GRAPHITE_700)
    c.rounded_frame(1, 1, 20, 19, 3, 1, style.INK if state else style.STEEL_500)
    c.text_in_box((1, 1, 20, 19), "M", fonts.sans(True), 11, style.WHITE if state else style.STEEL_200)
    return c


# The icon rows, top to bottom: (place, speaker) of the index the page computes; the last row
# is empty.
ICONS = [("FL", "FULL"), ("FL", "WOOFER"), ("FL", "MID"), ("FL", "TWEETER"),
         ("FR", "FULL"), ("FR", "WOOFER"), ("FR", "MID"), ("FR", "TWEETER"),
         ("RL", "FULL"), ("RL", "WOOFER"), ("RL", "TWEETER"),
         ("RR", "FULL"), ("RR", "WOOFER"), ("RR", "TWEETER"),
         ("C", "FULL"), ("C", "WOOFER"), ("C", "TWEETER"),
         ("SUB", ""), ("SUB", "R"), ("SUB", "L"), ("FL", "MID P"), ("FR", "MID P"), None]


def speaker_icon(row):
    """An icon of the speaker row, on the row's face (the last one, for no speaker, is the face)."""
    c = Canvas(71, 36, GROUP)
    entry = ICONS[row]
    if entry is None:
        return c
    place, kind = entry
    sub = place == "SUB"
    colour = style.ACCENT if sub else style.STEEL_400
    # A speaker cone: a box and a flare.
    c.fill_rect(4, 13, 9, 23, colour)
    c.polygon([(9, 13), (16, 6), (16, 30), (9, 23)], colour)
    c.text_in_box((20, 3, 70, 18), place, fonts.sans(True), 11, style.TEXT_ON_DARK, align="left")
    c.text_in_box((20, 19, 70, 33), kind, fonts.sans(False), 9.5, style.NOTE, align="left")
    return c


@strip("IDB_LEVEL_ICONS", 71, 36, [str(i) for i in range(len(ICONS))], vertical=True)
def channel_icons(row):
    return speaker_icon(row)
