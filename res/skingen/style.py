"""The program's look: one palette and the drawing of the recurring elements (dialog background,
push buttons, check boxes, the caption strip, progress bars). Skin modules build on these so that
every page and dialog shares the same colours and shapes."""
from . import contrast, fonts
from .canvas import Canvas, mix

# Palette: graphite and steel greys with one signal-orange accent.
INK = (0x1B, 0x1F, 0x24)
GRAPHITE_800 = (0x25, 0x2A, 0x30)
GRAPHITE_700 = (0x33, 0x39, 0x41)
GRAPHITE_600 = (0x48, 0x50, 0x5A)
STEEL_500 = (0x6B, 0x75, 0x80)
STEEL_400 = (0x8C, 0x96, 0xA0)
STEEL_300 = (0xB4, 0xBC, 0xC4)
STEEL_200 = (0xD0, 0xD6, 0xDC)
STEEL_100 = (0xE4, 0xE8, 0xEC)
PAPER = (0xF6, 0xF7, 0xF9)
WHITE = (0xFF, 0xFF, 0xFF)
ACCENT = (0xEE, 0x76, 0x1C)
ACCENT_LIGHT = (0xF6, 0x8E, 0x3A)
ACCENT_DARK = (0xC2, 0x5A, 0x0C)
DANGER = (0xD3, 0x3A, 0x2F)
DANGER_TEXT = (0xB0, 0x28, 0x1E)  # the danger red dark enough for text on the light body
TEXT_DARK = (0x2B, 0x30, 0x36)
TEXT_MUTED = (0x5E, 0x67, 0x71)
TEXT_ON_DARK = (0xF2, 0xF4, 0xF6)

# The dark face of the pages and panels: a ground, the raised face of a panel, its rules, and the
# two greys of the words on it (captions, and quieter notes).
PANEL_GROUND = (0x1E, 0x22, 0x28)
PANEL_FACE = (0x26, 0x2B, 0x32)
PANEL_RULE = (0x3A, 0x41, 0x4A)
PANEL_WELL = (0x14, 0x17, 0x1B)
LABEL = STEEL_300
NOTE = STEEL_400

# Text on the accent colour: white on the orange reads below 4.5:1, the graphite ink above 5.
ON_ACCENT = INK

# Dialog background, in the program's dark face: a dark header band (caption images with light
# titles go there), a light body where the program writes its messages in dark grey, and a dark
# button band at the bottom.
DIALOG_HEADER = 32
HEADER_TOP = (0x3A, 0x41, 0x4A)
HEADER_BOTTOM = (0x25, 0x2A, 0x30)
HEADER_RULE = ACCENT_DARK
BODY = PAPER
FOOTER = GRAPHITE_800
FOOTER_RULE = INK
FRAME = INK
TITLE_ON_DARK = STEEL_100


def brand_mark(c, x, y_top, height, on_dark, size=13.0, tracking=1.4):
    """The Darvix mark: a slanted accent bar and the name in spaced capitals. Returns its width."""
    bar = size * 0.95
    slant = bar * 0.45
    top = y_top + round((height - bar) / 2)
    c.polygon([(x + slant, top), (x + slant + 3.5, top), (x + 3.5, top + bar), (x, top + bar)],
              ACCENT)
    colour = TEXT_ON_DARK if on_dark else TEXT_DARK
    advance = c.text_in_box((x + slant + 7, y_top, x + 300, y_top + height), "DARVIX",
                            fonts.sans(True), size, colour, align="left", tracking=tracking)
    return slant + 7 + advance


def header_colour(y):
    """The dialog header's colour on row y (0 .. DIALOG_HEADER - 1), frame rows included."""
    if y == 0:
        return FRAME
    if y == 1:
        return mix(HEADER_TOP, WHITE, 0.12)
    return mix(HEADER_TOP, HEADER_BOTTOM, y / (DIALOG_HEADER - 1))


def dialog_background(width=300, height=220, button_band=85):
    # The dialogs and the message box write their messages on the body in grey 40 at A 200.
    contrast.require((40, 40, 40), 200, BODY, "the dialogs' messages")
    c = Canvas(width, height, BODY)
    for y in range(DIALOG_HEADER):
        c.fill_rect(0, y, width, y + 1, header_colour(y))
    c.fill_rect(0, DIALOG_HEADER, width, DIALOG_HEADER + 1, HEADER_RULE)
    band = height - button_band
    # The band is of one colour: the buttons and check boxes that stand on it, at whatever row a
    # dialog puts them, carry it as their ground.
    c.fill_rect(0, band, width, height, FOOTER)
    c.fill_rect(0, band, width, band + 1, FOOTER_RULE)
    # The left 80 pixels of the header carry the mark; title images start at x 83.
    brand_mark(c, 10, 0, DIALOG_HEADER, on_dark=True, size=11.5, tracking=0.9)
    # Frame: an ink outline, so the box stands off any page behind it.
    c.fill_rect(0, 0, width, 1, FRAME)
    c.fill_rect(0, height - 1, width, height, FRAME)
    c.fill_rect(0, 0, 1, height, FRAME)
    c.fill_rect(width - 1, 0, width, height, FRAME)
    return c


def title_overlay(text, width=213, height=27, y_offset=0):
    """A dialog's title image, drawn over the header at (83, y_offset): the header's own rows
    (so that it joins seamlessly) with the title in light capitals."""
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, header_colour(y + y_offset))
    c.text_in_box((4, 2 - y_offset, width, DIALOG_HEADER - y_offset), text.upper(),
                  fonts.sans(True), 12, TITLE_ON_DARK, align="left", tracking=0.8)
    return c


PUSH_STATES = ["normal", "pressed", "disabled"]


def push_button(state, label, width=78, height=39, background=None):
    """One frame of a push button: raised graphite at rest, accent while pressed, flat and dim
    disabled. Buttons of a row touch, so each frame keeps its own margin. background: a colour,
    or a function of the row (the ground it stands on); the dialogs' button band by default."""
    ground = FOOTER if background is None else background
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, ground(y) if callable(ground) else ground)
    x0, y0, x1, y1 = 4, 5, width - 4, height - 5
    radius = 4
    face_top, face_bottom, edge, text = {
        0: (GRAPHITE_600, GRAPHITE_700, STEEL_500, TEXT_ON_DARK),
        1: (ACCENT_LIGHT, ACCENT, ACCENT_DARK, ON_ACCENT),
        2: (GRAPHITE_700, GRAPHITE_700, GRAPHITE_600, STEEL_500),
    }[state]
    if state != 2:  # soft shadow under the raised faces
        c.rounded_rect(x0, y0 + 1.5, x1, y1 + 1.5, radius, INK, 0.35)
    c.rounded_rect(x0, y0, x1, y1, radius,
                   lambda x, y: mix(face_top, face_bottom, (y - y0) / (y1 - y0)))
    c.rounded_frame(x0, y0, x1, y1, radius, 1, edge)
    if state == 0:  # top highlight of the raised face
        c.line(x0 + radius, y0 + 1.5, x1 - radius, y0 + 1.5, 1, WHITE, 0.12)
    shift = 1 if state == 1 else 0
    c.text_in_box((x0, y0 + shift, x1, y1 + shift), label, fonts.sans(True), 11.5, text,
                  tracking=0.8, inactive=state == 2)
    return c


CHECK_STATES = ["off", "on"]


def check_box(state, label, width=145, height=15, background=None):
    """A check box with its label; on the dialogs' button band by default (the message box puts
    its "don't ask" box there)."""
    ground = FOOTER if background is None else background
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, ground(y) if callable(ground) else ground)
    box = (1, 1, 14, 14)
    if state == 1:
        c.rounded_rect(*box, 2.5, ACCENT)
        c.rounded_frame(*box, 2.5, 1, ACCENT_DARK)
        c.polyline([(4.2, 7.6), (6.6, 10.0), (11.0, 4.6)], 1.8, ON_ACCENT)
    else:
        c.rounded_rect(*box, 2.5, GRAPHITE_800)
        c.rounded_frame(*box, 2.5, 1, STEEL_400)
    c.text_in_box((19, 0, width, height), label, fonts.sans(False), 11.5, STEEL_200, align="left")
    return c


# The caption strip of the main window (dark) and the buttons that sit on it.
CAPTION_TOP = (0x3A, 0x41, 0x4A)
CAPTION_BOTTOM = (0x1F, 0x23, 0x28)


def caption_colour(y, height=29):
    return mix(CAPTION_TOP, CAPTION_BOTTOM, min(1.0, y / (height - 3)))


def caption_bar(width=1024, height=29):
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, caption_colour(y, height))
    c.fill_rect(0, 0, width, 1, mix(CAPTION_TOP, WHITE, 0.12))
    c.fill_rect(0, height - 2, width, height - 1, INK)
    c.fill_rect(0, height - 1, width, height, (0x12, 0x15, 0x18))
    mark = brand_mark(c, 12, 0, height - 2, on_dark=True)
    c.fill_rect(12, height - 2, 12 + int(mark), height, ACCENT)
    c.text_in_box((12 + mark + 14, 0, 400, height - 2), "DSP Tuning", fonts.sans(False), 12,
                  STEEL_300, align="left")
    return c


def window_button(state, icon, width, height, y_offset, pressed_colour):
    """A caption button frame: the strip's own gradient at rest (seamless), a tinted rounded face
    while pressed. icon: 'close' or 'minimize'."""
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, caption_colour(y + y_offset))
    colour = STEEL_300
    if state == 1:
        c.rounded_rect(1, 0, width - 1, height, 3, pressed_colour)
        colour = WHITE
    cx, cy = width / 2, height / 2
    if icon == "close":
        d = 4.0
        c.line(cx - d, cy - d, cx + d, cy + d, 1.6, colour)
        c.line(cx - d, cy + d, cx + d, cy - d, 1.6, colour)
    else:
        y = int(cy) + 3  # on whole pixels: a crisp two-pixel bar
        c.rounded_rect(round(cx - 5), y, round(cx + 5), y + 2, 0.6, colour)
    return c


def progress_bar(width, height, bar_x, bar_length, background=BODY):
    """A progress bitmap: the empty bar in the upper half, the full bar in the lower half, equal
    outside the growing part, so that copying columns of the lower half fills the bar."""
    half = height // 2
    c = Canvas(width, half * 2, background)
    track_h = min(14, max(4, half - 4))
    for row in (0, half):
        top = row + (half - track_h) // 2
        c.rounded_rect(bar_x - 2, top, bar_x + bar_length + 3, top + track_h, track_h / 2,
                       STEEL_100)
        c.rounded_frame(bar_x - 2, top, bar_x + bar_length + 3, top + track_h, track_h / 2, 1,
                        STEEL_300)
    top = half + (half - track_h) // 2
    c.rounded_rect(bar_x, top + 2, bar_x + bar_length + 1, top + track_h - 2, (track_h - 4) / 2,
                   lambda x, y: mix(ACCENT_LIGHT, ACCENT_DARK, (y - top - 2) / (track_h - 4)))
    return c
