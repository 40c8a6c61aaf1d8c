"""The dynamic-equalisation dialog: its face (title, the mode and curve column, the slider places
with their value boxes, the status line and the graphic equaliser's place), the mode and curve
switches with their captions, START and SAVE, and the two sliders' tracks and thumb."""
from skingen import chart_axis, contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

WIDTH, HEIGHT = 1019, 483
COLUMN = style.PANEL_FACE
BOX = style.PANEL_WELL
TRACK_W, TRACK_H = 36, 158
COMPACT = 261  # the window's height in Easy and off modes: the rows below it are cut off


@bitmap("IDB_DYNEQ_BG", WIDTH, HEIGHT)
def dyneq_background():
    c = style.dialog_background(WIDTH, HEIGHT, 1)
    c.fill_rect(1, style.DIALOG_HEADER + 1, WIDTH - 1, HEIGHT - 1, style.PANEL_GROUND)
    c.text_in_box((86, 2, 500, style.DIALOG_HEADER), "DYNAMIC EQ CONFIGURATION", fonts.sans(True), 12,
                  style.TITLE_ON_DARK, align="left", tracking=0.8)
    # The left column: mode, curve, START/SAVE, the two sliders, Reset Dyn. EQ.
    c.rounded_rect(5, 38, 245, 255, 5, COLUMN)
    c.rounded_frame(5, 38, 245, 255, 5, 1, style.PANEL_RULE)
    c.text_in_box((12, 40, 130, 56), "MODE", fonts.sans(True), 10, style.LABEL, align="left")
    c.text_in_box((12, 108, 130, 126), "CURVE", fonts.sans(True), 10, style.LABEL, align="left")
    c.fill_rect(12, 226, 134, 227, style.PANEL_RULE)
    c.text_in_box((139, 40, 181, 54), "VOLUME", fonts.sans(True), 8.5, style.LABEL)
    c.text_in_box((189, 40, 229, 54), "EQ", fonts.sans(True), 8.5, style.LABEL)
    for box in ((162, 216, 190, 230), (199, 216, 227, 230)):
        c.rounded_rect(*box, 3, BOX)
    c.text_in_box((134, 232, 240, 248), "dB", fonts.sans(False), 9, style.NOTE)
    # The chart stands at (263, 42) and ends at row 201, the status line begins at 216.
    chart_axis.frequency_numbers(c, 263 + 20, 263 + 712, 203, 214)
    # The status line under the chart.
    c.rounded_rect(265, 216, 1009, 250, 5, BOX)
    c.rounded_frame(265, 216, 1009, 250, 5, 1, style.PANEL_RULE)
    # What the dialog writes on them: the status (A 220) and the two slider values.
    contrast.require((200, 200, 250), 220, BOX, "the status line")
    contrast.require((220, 220, 240), 255, BOX, "the slider values")
    # The compact window ends on the upper part's own lower edge: an accent rule on its last row.
    c.fill_rect(1, COMPACT - 2, WIDTH - 1, COMPACT - 1, style.INK)
    c.fill_rect(1, COMPACT - 1, WIDTH - 1, COMPACT, style.ACCENT_DARK)
    # The graphic equaliser's place (the Advanced mode shows it) starts below the cut.
    c.rounded_rect(5, COMPACT + 1, WIDTH - 5, HEIGHT - 4, 5, COLUMN)
    c.rounded_frame(5, COMPACT + 1, WIDTH - 5, HEIGHT - 4, 5, 1, style.PANEL_RULE)
    c.text_in_box((14, 270, 240, 292), "GRAPHIC EQUALIZER", fonts.sans(True), 11, style.LABEL, align="left")
    c.text_in_box((14, 294, 240, 332), "Advanced mode: draw the curve", fonts.sans(False), 10,
                  style.NOTE, align="left")
    return c


SWITCH_STATES = ["off", "on", "disabled"]


def radio(state, label, width, height, bold=False):
    """A radio switch with its caption: an accent dot when on, dimmed when disabled."""
    c = Canvas(width, height, COLUMN)
    cy = height / 2
    box = (2, cy - 6.5, 15, cy + 6.5)
    disabled = state == 2
    c.rounded_rect(*box, 6.5, style.GRAPHITE_700 if disabled else style.PANEL_WELL)
    c.rounded_frame(*box, 6.5, 1, style.GRAPHITE_600 if disabled else style.STEEL_400)
    if state == 1:
        c.rounded_rect(5, cy - 3.5, 12, cy + 3.5, 3.5, style.ACCENT)
    c.text_in_box((20, 0, width, height), label, fonts.sans(bold), 11.5,
                  style.STEEL_500 if disabled else style.TEXT_ON_DARK, align="left", inactive=disabled)
    return c


def _radio(name, label, width, height, bold=False):
    @strip(name, width, height, SWITCH_STATES)
    def draw(state):
        return radio(state, label, width, height, bold)
    draw.__name__ = name.lower()


for _name, _label, _w, _h, _bold in [("IDB_DYNEQ_EASY", "Easy", 120, 19, True),
                                     ("IDB_DYNEQ_ADVANCED", "Advanced", 120, 19, True),
                                     ("IDB_DYNEQ_RESET", "Reset Dyn. EQ", 132, 22, False),
                                     ("IDB_DYNEQ_LOW", "Low-volume", 105, 18, False),
                                     ("IDB_DYNEQ_HIGH", "High-volume", 105, 18, False)]:
    _radio(_name, _label, _w, _h, _bold)


def _push(name, label):
    @strip(name, 78, 34, style.PUSH_STATES)
    def draw(state):
        return style.push_button(state, label, 78, 34, COLUMN)
    draw.__name__ = name.lower()


_push("IDB_DYNEQ_START", "START")
_push("IDB_DYNEQ_SAVE", "SAVE")


def track(ticks):
    c = Canvas(TRACK_W, TRACK_H, COLUMN)
    c.rounded_rect(14, 4, 22, TRACK_H - 4, 3, style.PANEL_WELL)
    c.fill_rect(17, 8, 19, TRACK_H - 8, style.ACCENT_DARK)
    top, bottom = 8, TRACK_H - 8
    for k in range(ticks + 1):
        y = top + round(k * (bottom - top) / ticks)
        c.fill_rect(3, y, 10 if k % (ticks // 2) == 0 else 7, y + 1, style.STEEL_500)
    return c


@bitmap("IDB_DYNEQ_VOLUME_TRACK", TRACK_W, TRACK_H)
def volume_track():
    return track(6)   # -60..0 in 10 dB steps


@bitmap("IDB_DYNEQ_EQ_TRACK", TRACK_W, TRACK_H)
def eq_track():
    return track(12)  # -6..+6 in 1 dB steps


@bitmap("IDB_DYNEQ_THUMB", 23, 13)
def thumb():
    c = Canvas(23, 13, COLUMN)
    c.rounded_rect(0, 0, 23, 13, 3, lambda x, y: mix(style.STEEL_300, style.GRAPHITE_600, y / 13))
    c.rounded_frame(0, 0, 23, 13, 3, 1, style.INK)
    c.fill_rect(2, 6, 21, 7, style.ACCENT)
    return c
