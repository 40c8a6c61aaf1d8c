"""Skins of the response chart and of the tuning page's two information panels: the chart's
backgrounds (a light plot with its frequency marks where the chart's mapping puts them and 0 dB on
the middle row), the zoom slider, the device status panel, the curve-switch panel and its switches."""
import functools
import math

from skingen import fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, strip

PLOT = (0xFB, 0xFC, 0xFD)
PLOT_RULE = (0xB4, 0xBC, 0xC4)
GRID_MAJOR = (0xD6, 0xDC, 0xE2)
GRID_MINOR = (0xEA, 0xEE, 0xF1)
ZERO_LINE = (0x9C, 0xA6, 0xB0)
SURROUND_TOP = (0xE9, 0xED, 0xF1)
SURROUND_BOTTOM = (0xDC, 0xE1, 0xE7)

LCD = (0x0A, 0x0C, 0x0F)        # the status lines' ground
# The source name's blue (A 220) needs a black ground to read at 4.5:1.
SOURCE_GROUND = (0x00, 0x00, 0x00)
PANEL_DARK = (0x1B, 0x1F, 0x24)
PANEL_EDGE = (0x3A, 0x41, 0x4A)

X_MIN = math.log10(19.69)
X_MAX = math.log10(20000.0)


def _luminance(c):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    return 0.2126 * lin(c[0]) + 0.7152 * lin(c[1]) + 0.0722 * lin(c[2])


def _over(colour, alpha, ground):
    return tuple(round(g + (c - g) * alpha / 255.0) for c, g in zip(colour, ground))


def _require_contrast(text, alpha, ground, what):
    """The program draws `text` at `alpha` over `ground`: it must read at 4.5:1 or better."""
    shown = _over(text, alpha, ground)
    a, b = sorted((_luminance(shown), _luminance(ground)))
    ratio = (b + 0.05) / (a + 0.05)
    if ratio < 4.5:
        raise SystemExit(f"skins: {what} reads at {ratio:.2f}:1 only")


def freq_x(left, right, f):
    return left + (math.log10(f) - X_MIN) * (right - left) / (X_MAX - X_MIN)


def chart_background(width, height, plot):
    left, top, right, bottom = plot
    c = Canvas(width, height, SURROUND_TOP)
    c.vgradient(0, 0, width, height, SURROUND_TOP, SURROUND_BOTTOM)
    c.fill_rect(left, top, right, bottom, PLOT)
    # Frequency marks: every decade step (20, 30 ... 90, 100, 200 ...), stronger at 2, 5 and 10.
    labels = {20: "20", 50: "50", 100: "100", 200: "200", 500: "500", 1000: "1k", 2000: "2k",
              5000: "5k", 10000: "10k", 20000: "20k"}
    for decade in (10, 100, 1000, 10000):
        for m in range(1, 10):
            f = decade * m
            if f < 20 or f > 20000:
                continue
            x = freq_x(left, right, f)
            major = f in labels
            c.line(x, top, x, bottom, 1.0, GRID_MAJOR if major else GRID_MINOR)
    # Level marks: 0 dB on the middle row (the chart maps it to (top + bottom) / 2), halves above
    # and below; the chart labels only the top and the bottom.
    mid = (top + bottom) / 2.0
    quarter = (bottom - top) / 4.0
    for y in (mid - quarter, mid + quarter):
        c.line(left, y, right, y, 1.0, GRID_MAJOR)
    c.line(left, mid, right, mid, 1.0, ZERO_LINE)
    # The plot's frame, outside the plot so the curves' clip keeps it.
    c.fill_rect(left - 1, top - 1, right + 1, top, PLOT_RULE)
    c.fill_rect(left - 1, bottom, right + 1, bottom + 1, PLOT_RULE)
    c.fill_rect(left - 1, top, left, bottom, PLOT_RULE)
    c.fill_rect(right, top, right + 1, bottom, PLOT_RULE)
    # Frequency labels under the plot where there is room, else none.
    if height - bottom >= 9:
        for f, text in labels.items():
            x = freq_x(left, right, f)
            w = 40
            c.text_in_box((x - w / 2, bottom + 1, x + w / 2, height), text, fonts.sans(False), 8.0,
                          style.TEXT_MUTED)
    return c


@bitmap("IDB_CHART_BG", 747, 159)
def chart_bg():
    return chart_background(747, 159, (20, 21, 712, 150))


@bitmap("IDB_CHART_BG_SOURCES", 771, 147)
def chart_bg_sources():
    return chart_background(771, 147, (36, 13, 728, 143))


@bitmap("IDB_CHART_ZOOM_TRACK", 19, 83)
def zoom_track():
    c = Canvas(19, 83, SURROUND_BOTTOM)
    c.text_in_box((0, 0, 19, 14), "Z", fonts.sans(True), 9.0, style.TEXT_MUTED)
    # The groove between the thumb's extremes (its centre moves over rows 19..79).
    c.rounded_rect(7.5, 17, 11.5, 81, 2, style.STEEL_300)
    c.rounded_frame(7.5, 17, 11.5, 81, 2, 1, style.STEEL_400)
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
    _require_contrast((220, 220, 220), 190, LCD, "the device lines")
    c.line(24, 120.5, 436, 120.5, 1.0, (0x22, 0x27, 0x2D))
    style.brand_mark(c, 300, 174, 20, on_dark=True, size=10.0)
    return c


@bitmap("IDB_DISPLAY_SETTINGS", 460, 106)
def display_settings():
    c = dark_panel(460, 106, "CHART")
    c.text_in_box((339, 44, 442, 66), "SOURCE", fonts.sans(True), 9.5, style.STEEL_400, tracking=1.0)
    c.rounded_rect(337, 69, 444, 99, 4, SOURCE_GROUND)
    c.rounded_frame(337, 69, 444, 99, 4, 1, PANEL_EDGE)
    _require_contrast((120, 120, 255), 220, SOURCE_GROUND, "the source name")
    c.text_in_box((130, 38, 320, 58), "curves drawn", fonts.sans(False), 10.0, style.STEEL_400,
                  align="left")
    c.text_in_box((130, 78, 330, 100), "whole chain of each speaker", fonts.sans(False), 10.0,
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
    c.text_in_box((lamp[2] + 4, 0, width, height), label, fonts.sans(True), 8.5, text, align="left")
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
