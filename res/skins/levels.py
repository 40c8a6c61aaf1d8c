"""The output-level page: its face with the fader places, readout boxes and labels, the fader
background and thumb, the clip indicators, the mute and Link switches and the channel icons."""
from skingen import fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

WIDTH, HEIGHT = 1007, 503
PAGE_TOP = (0xE9, 0xED, 0xF1)
PAGE_BOTTOM = (0xDC, 0xE1, 0xE7)
PANEL = (0xF6, 0xF7, 0xF9)
PANEL_RULE = (0xC6, 0xCD, 0xD5)
READOUT = style.INK
FADER_H = 229


def fader_places():
    """(left, label) of the ten faders in skin coordinates."""
    places = [(132 + 72 * c, f"OUT {c + 1}") for c in range(8)]
    return places + [(726, "MASTER"), (838, "SUB")]


@bitmap("IDB_PAGE_LEVELS", WIDTH, HEIGHT)
def page_levels():
    c = Canvas(WIDTH, HEIGHT, PAGE_TOP)
    c.vgradient(0, 0, WIDTH, HEIGHT, PAGE_TOP, PAGE_BOTTOM)
    c.rounded_rect(12, 12, WIDTH - 12, HEIGHT - 12, 6, PANEL)
    c.rounded_frame(12, 12, WIDTH - 12, HEIGHT - 12, 6, 1, PANEL_RULE)
    c.text_in_box((30, 24, 400, 44), "OUTPUT LEVELS", fonts.sans(True), 14, style.TEXT_DARK, align="left",
                  tracking=1.2)
    # The channel group and the master group, each on a darker band.
    c.rounded_rect(110, 52, 700, 428, 6, style.STEEL_100)
    c.rounded_rect(708, 52, 890, 428, 6, style.STEEL_100)
    for left, label in fader_places():
        centre = left + 17
        c.text_in_box((centre - 30, 56, centre + 30, 72), label, fonts.sans(True), 10.5, style.TEXT_MUTED)
        # The readout box under the fader.
        c.rounded_rect(left + 1, 352, left + 33, 380, 3, READOUT)
    c.text_in_box((712, 80, 886, 100), "VOLUME", fonts.sans(True), 10, style.STEEL_500)
    # Labels of the mute row, the Link switch and the icon row.
    c.text_in_box((20, 399, 108, 419), "MUTE", fonts.sans(True), 10.5, style.TEXT_MUTED, align="right")
    c.text_in_box((40, 344, 100, 360), "LINK", fonts.sans(True), 10.5, style.TEXT_MUTED)
    c.text_in_box((20, 440, 108, 470), "SPEAKER", fonts.sans(True), 10.5, style.TEXT_MUTED, align="right")
    c.text_in_box((20, 78, 124, 112), "CLIP", fonts.sans(True), 10.5, style.TEXT_MUTED, align="left")
    return c


@bitmap("IDB_LEVEL_FADER", 34, FADER_H)
def fader_background():
    c = Canvas(34, FADER_H, style.STEEL_100)
    # The slot around the track (x 18..20, y 15..212), with the thumb's travel.
    c.rounded_rect(15, 10, 23, 218, 3, style.GRAPHITE_700)
    c.fill_rect(18, 15, 20, 212, style.ACCENT_DARK)
    for k in range(11):
        y = 15 + round(k * (212 - 15) / 10)
        c.fill_rect(3, y, 11 if k % 5 == 0 else 8, y + 1, style.STEEL_400)
    return c


@bitmap("IDB_LEVEL_THUMB", 21, 31)
def fader_thumb():
    c = Canvas(21, 31, style.STEEL_100)
    c.rounded_rect(0, 0, 21, 31, 3, lambda x, y: mix(style.STEEL_200, style.GRAPHITE_600, y / 31))
    c.rounded_frame(0, 0, 21, 31, 3, 1, style.GRAPHITE_800)
    c.fill_rect(2, 15, 19, 16, style.ACCENT)
    return c


CLIP_OFF = (0x6A, 0x2A, 0x26)
CLIP_ON = (0xFF, 0x3B, 0x2F)


@strip("IDB_LEVEL_CLIP", 37, 38, ["off", "lit"])
def clip_indicator(state):
    c = Canvas(37, 38, style.STEEL_100)
    c.rounded_rect(5, 6, 32, 33, 13.5, style.GRAPHITE_800)
    if state:
        c.rounded_rect(3, 4, 34, 35, 15.5, CLIP_ON, 0.35)  # the glow
    c.rounded_rect(8, 9, 29, 30, 10.5, CLIP_ON if state else CLIP_OFF)
    c.rounded_rect(12, 12, 20, 17, 2.5, style.WHITE, 0.45 if state else 0.12)
    return c


@strip("IDB_LEVEL_LINK", 35, 38, ["off", "on"])
def link_switch(state):
    c = Canvas(35, 38, PANEL)
    face = style.ACCENT if state else style.STEEL_300
    c.rounded_rect(2, 3, 33, 35, 5, face)
    c.rounded_frame(2, 3, 33, 35, 5, 1, style.ACCENT_DARK if state else style.STEEL_400)
    colour = style.WHITE if state else style.GRAPHITE_600
    # Two chain links.
    c.rounded_frame(7, 14, 19, 23, 4, 2, colour)
    c.rounded_frame(16, 14, 28, 23, 4, 2, colour)
    return c


@strip("IDB_LEVEL_MUTE", 21, 20, ["off", "muted"])
def mute_switch(state):
    c = Canvas(21, 20, style.STEEL_100)
    c.rounded_rect(1, 1, 20, 19, 3, style.DANGER if state else style.STEEL_300)
    c.text_in_box((1, 1, 20, 19), "M", fonts.sans(True), 11, style.WHITE if state else style.GRAPHITE_600)
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
    c = Canvas(71, 36, PANEL)
    entry = ICONS[row]
    if entry is None:
        return c
    place, kind = entry
    sub = place == "SUB"
    colour = style.ACCENT if sub else style.GRAPHITE_600
    # A speaker cone: a box and a flare.
    c.fill_rect(4, 13, 9, 23, colour)
    c.polygon([(9, 13), (16, 6), (16, 30), (9, 23)], colour)
    c.text_in_box((20, 3, 70, 18), place, fonts.sans(True), 11, style.TEXT_DARK, align="left")
    c.text_in_box((20, 19, 70, 33), kind, fonts.sans(False), 9.5, style.TEXT_MUTED, align="left")
    return c


@strip("IDB_LEVEL_ICONS", 71, 36, [str(i) for i in range(len(ICONS))], vertical=True)
def channel_icons(row):
    return speaker_icon(row)
