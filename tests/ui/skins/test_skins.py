"""Bitmaps for the toolkit's tests: flat frames where a test reads which frame is shown, and
realistic ones (progress bar, fader, title image) for the screenshots."""
from skingen import fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap

STRIP_FRAMES = [(0xC8, 0x1E, 0x1E), (0x1E, 0xC8, 0x1E), (0x1E, 0x1E, 0xC8)]
STRIP_LAST_COLUMN = (0xFF, 0xFF, 0x00)


@bitmap("IDB_TEST_STRIP3", 100, 20)
def strip3():
    c = Canvas(100, 20, STRIP_LAST_COLUMN)
    for i, colour in enumerate(STRIP_FRAMES):
        c.fill_rect(33 * i, 0, 33 * (i + 1), 20, colour)
    return c


@bitmap("IDB_TEST_PROGRESS", 251, 136)
def progress():
    return style.progress_bar(251, 136, 11, 230)


@bitmap("IDB_TEST_OVERLAY", 213, 27)
def overlay():
    return style.title_overlay("Device scan")


@bitmap("IDB_TEST_SKIN", 160, 120)
def page_skin():
    c = Canvas(160, 120, style.GRAPHITE_800)
    c.vgradient(0, 0, 160, 24, style.GRAPHITE_700, style.GRAPHITE_800)
    c.fill_rect(0, 24, 160, 25, style.ACCENT)
    c.text_in_box((8, 0, 160, 24), "TEST PANEL", fonts.sans(True), 11, style.TEXT_ON_DARK,
                  align="left", tracking=0.8)
    c.rounded_rect(8, 34, 152, 112, 4, style.INK)
    return c


@bitmap("IDB_TEST_FADER", 22, 160)
def fader():
    c = Canvas(22, 160, style.GRAPHITE_800)
    for y in range(18, 147, 16):  # scale ticks
        c.fill_rect(2, y, 6, y + 1, style.STEEL_500)
        c.fill_rect(16, y, 20, y + 1, style.STEEL_500)
    c.rounded_rect(9, 14, 13, 150, 2, style.INK)
    return c


@bitmap("IDB_TEST_THUMB", 72, 10)
def thumbs():
    c = Canvas(72, 10, style.GRAPHITE_800)
    for i, face in enumerate([style.STEEL_300, style.ACCENT, style.WHITE, style.STEEL_500]):
        x = 18 * i
        c.rounded_rect(x + 1, 0, x + 17, 10, 2, lambda px, py, f=face: mix(f, style.STEEL_500,
                                                                               py / 20))
        c.fill_rect(x + 3, 4, x + 15, 6, style.INK)
    return c
