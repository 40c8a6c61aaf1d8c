"""Skins of the tuning page's crossover and delay panel: its background with the field captions,
the field button that opens a popup, the up and down buttons of the distance and the trim, the
Xover Link switch and the phase switch; and the panel's four popup menus."""
from skingen import contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, menu, strip

PANEL_BG = (0x1E, 0x22, 0x28)
PANEL_FACE = (0x26, 0x2B, 0x32)
PANEL_RULE = (0x3A, 0x41, 0x4A)
FIELD = (212, 208, 200)  # the panel fills its text fields with this colour

# The text rectangles the panel draws into (left, top, right, bottom).
FIELDS = [(22, 65, 99, 80), (22, 115, 99, 130), (22, 165, 99, 180),
          (132, 65, 209, 80), (132, 115, 209, 130), (132, 165, 209, 180)]
READOUTS = [(22, 214, 58, 228), (62, 214, 98, 228), (133, 214, 167, 228), (176, 214, 209, 228)]


def caption(c, x0, y0, x1, text, align="left"):
    c.text_in_box((x0, y0, x1, y0 + 13), text, fonts.sans(True), 9, style.STEEL_300, align=align,
                  tracking=0.8)


@bitmap("IDB_CROSSOVER_PANEL", 248, 294)
def crossover_panel():
    c = Canvas(248, 294, PANEL_BG)
    c.rounded_rect(3, 3, 245, 291, 6, PANEL_FACE)
    c.rounded_frame(3, 3, 245, 291, 6, 1, PANEL_RULE)
    c.text_in_box((12, 10, 236, 30), "CROSSOVER & DELAY", fonts.sans(True), 11, style.STEEL_300,
                  align="left", tracking=1.0)
    c.fill_rect(12, 33, 236, 34, PANEL_RULE)
    caption(c, 22, 49, 120, "FILTER TYPE")
    caption(c, 132, 49, 236, "FAMILY")
    caption(c, 22, 99, 120, "CUT-OFF (Hz)")
    caption(c, 132, 99, 236, "CUT-OFF (Hz)")
    caption(c, 22, 149, 120, "SLOPE")
    caption(c, 132, 149, 236, "SLOPE")
    c.fill_rect(12, 190, 236, 191, PANEL_RULE)
    caption(c, 22, 197, 120, "DISTANCE")
    caption(c, 133, 197, 236, "DELAY")
    caption(c, 176, 197, 236, "TRIM")
    for x0, y0, x1, y1, unit in [(22, 230, 58, 242, "inch"), (62, 230, 98, 242, "cm"),
                                 (133, 230, 167, 242, "ms"), (176, 230, 209, 242, "ms")]:
        c.text_in_box((x0, y0, x1, y1), unit, fonts.sans(False), 9, style.STEEL_400)
    c.fill_rect(12, 252, 236, 253, PANEL_RULE)
    # What the panel writes in its fields and readouts: black (a focused one in a fixed red that
    # reads at 3.3:1 on the fixed field colour, whatever the skin).
    contrast.require((0, 0, 0), 255, FIELD, "the crossover fields")
    # The fields' wells; the panel paints the fields themselves.
    for x0, y0, x1, y1 in FIELDS + READOUTS:
        c.fill_rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, style.INK)
        c.fill_rect(x0, y0, x1, y1, FIELD)
    return c


def small_button(state, width, height, glyph):
    """A small square button of the dark panels: the glyph is 'menu', 'up' or 'down'."""
    c = Canvas(width, height, PANEL_FACE)
    face = {0: (style.GRAPHITE_600, style.GRAPHITE_800), 1: (style.ACCENT_LIGHT, style.ACCENT_DARK),
            2: (style.GRAPHITE_700, style.GRAPHITE_700)}[state]
    c.rounded_rect(0.5, 0.5, width - 0.5, height - 0.5, 2,
                   lambda x, y: mix(face[0], face[1], y / height))
    c.rounded_frame(0.5, 0.5, width - 0.5, height - 0.5, 2, 1, style.INK)
    ink = style.GRAPHITE_600 if state == 2 else style.TEXT_ON_DARK
    cx, cy = width / 2, height / 2
    if glyph == "menu":
        c.polygon([(cx - 4, cy - 2), (cx + 4, cy - 2), (cx, cy + 3)], ink)
    elif glyph == "up":
        c.polygon([(cx - 3.5, cy + 2), (cx + 3.5, cy + 2), (cx, cy - 2)], ink)
    else:
        c.polygon([(cx - 3.5, cy - 2), (cx + 3.5, cy - 2), (cx, cy + 2)], ink)
    return c


BUTTON_STATES = ["normal", "pressed", "disabled"]


@strip("IDB_CROSSOVER_FIELD", 17, 21, BUTTON_STATES)
def field_button(state):
    return small_button(state, 17, 21, "menu")


@strip("IDB_CROSSOVER_UP", 17, 9, BUTTON_STATES)
def up_button(state):
    return small_button(state, 17, 9, "up")


@strip("IDB_CROSSOVER_DOWN", 17, 9, BUTTON_STATES)
def down_button(state):
    return small_button(state, 17, 9, "down")


def switch(state, width, height, label, states_on, face_top=0):
    """A switch of the panel; its face fills the bitmap from face_top down (the rows above keep
    the panel's face), so that switches of unequal bitmaps can share their top and bottom."""
    c = Canvas(width, height, PANEL_FACE)
    on = state in states_on
    disabled = state == 2
    edge = style.ACCENT_DARK if on else style.INK
    top = face_top + 0.5
    c.rounded_rect(0.5, top, width - 0.5, height - 0.5, 4,
                   style.GRAPHITE_700 if disabled else style.GRAPHITE_800)
    c.rounded_frame(0.5, top, width - 0.5, height - 0.5, 4, 1, edge)
    mid = (face_top + height) / 2
    lamp = style.ACCENT if on else (style.GRAPHITE_600 if disabled else style.STEEL_500)
    c.rounded_rect(5, mid - 3, 11, mid + 3, 2, lamp)
    text = style.GRAPHITE_600 if disabled else (style.WHITE if on else style.STEEL_300)
    c.text_in_box((13, face_top, width - 3, height), label, fonts.sans(True), 9.5, text, tracking=0.6,
                  inactive=disabled)
    return c


@strip("IDB_CROSSOVER_LINK", 88, 20, ["off", "on"])
def xover_link(state):
    return switch(state, 88, 20, "XOVER LINK", {1})


# PHASE stands at (6, 268) in a 22-row bitmap, XOVER LINK at (118, 270) in a 20-row one: PHASE's
# face leaves its first two rows to the panel, so that both faces span the panel's rows 270..290.
@strip("IDB_CROSSOVER_PHASE", 62, 22, ["off", "on", "disabled"])
def phase(state):
    return switch(state, 62, 22, "PHASE", {1}, face_top=2)


# The popup menus: each is shown as its first submenu; the items' ids are the crossover choices'.
menu("IDR_MENU_SLOPE", "Slope", [(f"{6 * i} dB", 40016 + i) for i in range(1, 9)])
menu("IDR_MENU_FILTER_TYPE", "MenuFilterType",
     [("Full Range", 40013), ("Low Pass", 40014), ("High Pass", 40015), ("Band Pass", 40016)])
menu("IDR_MENU_FAMILY", "FilterImplementation", [("Butterworth", 40025), ("Linkwitz", 40026)])

# The 70 cut-off frequencies with their ids, in five submenus by range.
FREQUENCIES = [
    (10, 40027), (15, 40028), (20, 40029), (25, 40030), (30, 40031), (35, 40032), (40, 40033),
    (45, 40034), (50, 40035), (60, 40036), (70, 40037), (80, 40038), (90, 40039), (100, 40040),
    (110, 40041), (125, 40042), (150, 40043), (175, 40044), (200, 40045), (225, 40046),
    (250, 40047), (300, 40048), (350, 40049), (400, 40050), (450, 40051), (500, 40052),
    (550, 40053), (600, 40054), (650, 40055), (750, 40056), (800, 40057), (900, 40058),
    (1000, 40059), (1100, 40060), (1200, 40061), (1300, 40062), (1400, 40063), (1500, 40064),
    (1750, 40065), (2000, 40066), (2250, 40067), (2500, 40068), (2750, 40272), (3000, 40069),
    (3250, 40273), (3500, 40070), (3750, 40275), (4000, 40071), (4250, 40276), (4500, 40072),
    (4750, 40277), (5000, 40073), (5500, 40074), (6000, 40075), (6500, 40076), (7000, 40077),
    (7500, 40078), (8000, 40079), (9000, 40080), (10000, 40081), (11000, 40082), (12000, 40083),
    (13000, 40084), (14000, 40085), (15000, 40086), (16000, 40087), (17000, 40088),
    (18000, 40089), (19000, 40090), (20000, 40091),
]
RANGES = [("10 - 100", 10, 100), ("110 - 500", 110, 500), ("500 - 2000", 550, 2000),
          ("2250 - 7500", 2250, 7500), ("8000 - 20000", 8000, 20000)]
menu("IDR_MENU_FREQUENCY", "FreqCutOff",
     [(name, [(str(f), i) for f, i in FREQUENCIES if lo <= f <= hi]) for name, lo, hi in RANGES])
