"""Skins of the response chart and of the tuning page's two information panels: the chart's
backgrounds (a dark plot with its frequency marks where the chart's mapping puts them, 0 dB on
the middle row, light tags under the level labels the chart writes), the frequency numbers the
hosts put under a chart, the zoom slider, the device status panel, the curve-switch panel with the
curves' colours beside its switches, and its switches."""
import functools
import math

from skingen import chart_axis, contrast, fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

SURROUND = style.PANEL_FACE
SURROUND_RULE = style.PANEL_RULE
PLOT = (0x1A, 0x1E, 0x23)
PLOT_RULE = (0x52, 0x5B, 0x66)
GRID_MAJOR = (0x33, 0x39, 0x41)
GRID_MINOR = (0x26, 0x2B, 0x31)
ZERO_LINE = (0x7C, 0x86, 0x91)
TAG = style.STEEL_200           # under the level labels the chart writes in dark blue
LABEL_TEXT = ((20, 20, 55), 190)

LCD = (0x0A, 0x0C, 0x0F)        # the status lines' ground
# The source name's blue (A 220) needs a black ground to read at 4.5:1.
SOURCE_GROUND = (0x00, 0x00, 0x00)
PANEL_DARK = (0x1B, 0x1F, 0x24)
PANEL_EDGE = (0x3A, 0x41, 0x4A)

# The curves' colours as the tuning page gives them: (fill or None, line), each (colour, alpha).
CURVES = {
    "crossover": (None, ((250, 20, 20), 180)),
    "equaliser": (((120, 255, 120), 120), ((200, 250, 200), 205)),
    "total": (((120, 120, 255), 120), ((200, 200, 250), 205)),
}

freq_x = chart_axis.freq_x
FREQUENCY_LABELS = chart_axis.FREQUENCY_LABELS


def chart_background(width, height, plot, top_label, bottom_label):
    left, top, right, bottom = plot
    c = Canvas(width, height, SURROUND)
    c.rounded_frame(0, 0, width, height, 5, 1, SURROUND_RULE)
    c.fill_rect(left, top, right, bottom, PLOT)
    # Frequency marks: every decade step (20, 30 ... 90, 100, 200 ...), stronger at 2, 5 and 10.
    for decade in (10, 100, 1000, 10000):
        for m in range(1, 10):
            f = decade * m
            if f < 20 or f > 20000:
                continue
            x = freq_x(left, right, f)
            c.line(x, top, x, bottom, 1.0, GRID_MAJOR if f in FREQUENCY_LABELS else GRID_MINOR)
    # Level marks: 0 dB on the middle row, where the chart maps it whatever the zoom
    # ((top + bottom) / 2), halves above and below; the chart labels only the top and the bottom.
    mid = (top + bottom) / 2.0
    quarter = (bottom - top) / 4.0
    for y in (mid - quarter, mid + quarter):
        c.line(left, y, right, y, 1.0, GRID_MAJOR)
    c.line(left, mid, right, mid, 1.0, ZERO_LINE)
    # The plot's frame, outside the plot so the curves' clip keeps it; a tick marks 0 dB on it.
    c.fill_rect(left - 1, top - 1, right + 1, top, PLOT_RULE)
    c.fill_rect(left - 1, bottom, right + 1, bottom + 1, PLOT_RULE)
    c.fill_rect(left - 1, top, left, bottom, PLOT_RULE)
    c.fill_rect(right, top, right + 1, bottom, PLOT_RULE)
    c.fill_rect(left - 4, math.floor(mid), left - 1, math.floor(mid) + 1, ZERO_LINE)
    # The level labels the chart writes at its label points ("%d" of the range, Verdana 6
    # points, up to "-24") in dark blue: each on a light tag; the middle row's 0 and the unit
    # are the skin's.
    for x, y in (top_label, bottom_label):
        c.rounded_rect(x - 3, y - 1, left - 1, y + 11, 2, TAG)
    contrast.require(*LABEL_TEXT, TAG, "the chart's level labels")
    c.text_in_box((0, mid - 6, left - 5, mid + 6), "0", fonts.sans(True), 9.0, style.LABEL, align="right")
    unit_top = top_label[1] - 14 if top_label[1] >= 14 else top_label[1] + 14
    c.text_in_box((0, unit_top, left - 3, unit_top + 11), "dB", fonts.sans(True), 8.5, style.LABEL, align="right")
    return c


@bitmap("IDB_CHART_BG", 747, 159)
def chart_bg():
    return chart_background(747, 159, (20, 21, 712, 150), (5, 23), (5, 140))


@bitmap("IDB_CHART_BG_SOURCES", 771, 147)
def chart_bg_sources():
    return chart_background(771, 147, (36, 13, 728, 143), (12, 10), (12, 135))


@bitmap("IDB_CHART_ZOOM_TRACK", 19, 83)
def zoom_track():
    c = Canvas(19, 83, SURROUND)
    c.text_in_box((0, 0, 19, 14), "Z", fonts.sans(True), 9.0, style.LABEL)
    # The groove between the thumb's extremes (its centre moves over rows 19..79).
    c.rounded_rect(7.5, 17, 11.5, 81, 2, PLOT)
    c.rounded_frame(7.5, 17, 11.5, 81, 2, 1, PLOT_RULE)
    return c


@bitmap("IDB_CHART_ZOOM_THUMB", 17, 5)
def zoom_thumb():
    c = Canvas(17, 5, style.ACCENT)
    c.fill_rect(0, 0, 17, 1, style.ACCENT_LIGHT)
    c.fill_rect(0, 4, 17, 5, style.ACCENT_DARK)
    return c


def dark_panel(width, height, title):
    c = Canvas(width, height, PANEL_DARK)
    c.vgradient(0, 0, width, height, (0x25, 0x2A, 0x30), PANEL_DARK)
    c.rounded_frame(1, 1, width - 1, height - 1, 5, 1, PANEL_EDGE)
    c.text_in_box((14, 6, width, 24), title, fonts.sans(True), 10.5, style.STEEL_300, align="left",
                  tracking=1.2)
    return c


@bitmap("IDB_DEVICE_INFO", 458, 199)
def device_info():
    c = dark_panel(458, 199, "DEVICE")
    # The display the five lines are drawn on: light text (A 190 over it) at 4.5:1 or better.
    c.rounded_rect(18, 40, 442, 170, 4, LCD)
    c.rounded_frame(18, 40, 442, 170, 4, 1, PANEL_EDGE)
    contrast.require((220, 220, 220), 190, LCD, "the device lines")
    c.line(24, 120.5, 436, 120.5, 1.0, (0x22, 0x27, 0x2D))
    style.brand_mark(c, 300, 174, 20, on_dark=True, size=10.0)
    return c


# The curve switches (left, top, width, height) and the curve each one shows.
SWITCHES = (((26, 40, 64, 18), "crossover"), ((27, 56, 42, 18), "equaliser"), ((50, 82, 46, 17), "total"))
SWATCH_LEFT, SWATCH_RIGHT = 100, 124


def swatch(c, x0, y0, x1, y1, curve):
    """A sample of a curve in its own colours: its fill (when it has one) under its line."""
    fill, (line, alpha) = CURVES[curve]
    if fill:
        c.rounded_rect(x0, (y0 + y1) / 2, x1, y1, 1.5, fill[0], fill[1] / 255)
    c.line(x0 + 1, (y0 + y1) / 2, x1 - 1, (y0 + y1) / 2, 1.5, line, alpha / 255)


@bitmap("IDB_DISPLAY_SETTINGS", 460, 106)
def display_settings():
    c = dark_panel(460, 106, "CHART")
    c.text_in_box((339, 44, 442, 66), "SOURCE", fonts.sans(True), 9.5, style.STEEL_400, tracking=1.0)
    c.rounded_rect(337, 69, 444, 99, 4, SOURCE_GROUND)
    c.rounded_frame(337, 69, 444, 99, 4, 1, PANEL_EDGE)
    contrast.require((120, 120, 255), 220, SOURCE_GROUND, "the source name")
    # Beside each switch, its curve's colours: the switches double as the chart's legend.
    for (x, y, w, h), curve in SWITCHES:
        cy = y + h / 2
        swatch(c, SWATCH_LEFT, cy - 5, SWATCH_RIGHT, cy + 5, curve)
    c.text_in_box((132, 38, 320, 58), "curves drawn", fonts.sans(False), 10.0, style.STEEL_400,
                  align="left")
    c.text_in_box((132, 80, 330, 102), "whole chain of each speaker", fonts.sans(False), 10.0,
                  style.STEEL_400, align="left")
    return c


def switch(state, label, width, height, background):
    """A labelled switch on the dark panel: a lamp (off, lit, or greyed while disabled) and the
    label beside it."""
    c = Canvas(width, height, background)
    lamp = (2, 3, 2 + height - 6, height - 3)
    if state == 1:
        c.rounded_rect(*lamp, 3, style.ACCENT)
        c.rounded_frame(*lamp, 3, 1, style.ACCENT_LIGHT)
        text = style.TEXT_ON_DARK
    elif state == 0:
        c.rounded_rect(*lamp, 3, style.GRAPHITE_800)
        c.rounded_frame(*lamp, 3, 1, style.STEEL_500)
        text = style.STEEL_300
    else:
        c.rounded_rect(*lamp, 3, style.GRAPHITE_600)
        c.rounded_frame(*lamp, 3, 1, style.GRAPHITE_600)
        text = style.STEEL_500
    c.text_in_box((lamp[2] + 4, 0, width, height), label, fonts.sans(True), 8.5, text, align="left",
                  inactive=state == 2)
    return c


@functools.lru_cache(maxsize=None)
def _panel():
    return display_settings()


def _switch_ground(x, y, width, height):
    """The panel's colour behind a switch at (x, y), so that its frames join the skin."""
    panel = _panel()
    return panel.get(x + width - 2, y + height // 2)


@strip("IDB_SWITCH_CROSSOVER", 64, 18, ["off", "on", "disabled"])
def switch_crossover(state):
    return switch(state, "X-OVER", 64, 18, _switch_ground(26, 40, 64, 18))


@strip("IDB_SWITCH_EQUALISER", 42, 18, ["off", "on", "disabled"])
def switch_equaliser(state):
    return switch(state, "EQ", 42, 18, _switch_ground(27, 56, 42, 18))


@strip("IDB_SWITCH_TOTAL", 46, 17, ["off", "on"])
def switch_total(state):
    return switch(state, "TOTAL", 46, 17, _switch_ground(50, 82, 46, 17))
