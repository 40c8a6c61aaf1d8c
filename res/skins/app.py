"""Skins of the program's pages and dialogs: the page backgrounds, the dialog titles,
the start-up picture, the question backgrounds and the icons."""
from skingen import chart_axis, fonts, style
from skingen.canvas import Canvas
from skingen.registry import bitmap, icon, rc_block

@bitmap("IDB_PAGE_DSP", 1024, 704)
def page_dsp():
    """The tuning page's face: its panels cover it all but the pixels between them, which take
    the panels' own dark ground."""
    c = Canvas(1024, 704, style.PANEL_GROUND)
    # The chart stands at (264, 311) and ends at row 470, the equaliser begins at 485: its
    # frequencies go in between.
    chart_axis.frequency_numbers(c, 264 + 20, 264 + 712, 472, 484)
    return c


@bitmap("IDB_WIZARD_BG", 300, 380)
def wizard_background():
    """The I/O wizard's first step: what it is about."""
    c = style.dialog_background(300, 380, 85)
    c.text_in_box((87, 2, 300, style.DIALOG_HEADER), "CONFIGURATION WIZARD", fonts.sans(True), 12,
                  style.TITLE_ON_DARK, align="left", tracking=0.8)
    lines = ["This wizard will guide you through", "configuring your Darvix: inputs,",
             "input levels, calibration, speakers,", "crossovers, output channels and",
             "amplifiers.", "", "Press 'Next' to begin."]
    for i, line in enumerate(lines):
        c.text_in_box((20, 60 + 20 * i, 280, 78 + 20 * i), line, fonts.sans(False), 12.5,
                      style.TEXT_DARK, align="left")
    return c


def _title(name, text):
    @bitmap(name, 213, 27)
    def draw():
        return style.title_overlay(text)
    draw.__name__ = name.lower()


for _name, _text in [("IDB_TITLE_UPDATE", "Write to device"), ("IDB_TITLE_SYNC", "Synchronization"),
                     ("IDB_TITLE_EXIT", "Exit"), ("IDB_TITLE_SCAN", "Scan port"),
                     ("IDB_TITLE_FIRMWARE", "Firmware update"), ("IDB_CAPTION_STANDARD", "Working mode"),
                     ("IDB_CAPTION_MSGBOX", "Notice")]:
    _title(_name, _text)


def question(lines, button_band):
    """A message background with its question already written in it."""
    c = style.dialog_background(300, 220, button_band)
    top = 46
    for line in lines:
        c.text_in_box((20, top, 280, top + 20), line, fonts.sans(False), 12.5, style.TEXT_DARK)
        top += 20
    return c


@bitmap("IDB_QUESTION_STANDARD", 300, 220)
def question_standard():
    return question(["Standard mode joins the ways of every", "speaker at common crossover points.",
                     "Crossovers may change. Continue?"], 67)


@bitmap("IDB_FIRMWARE_CONFIRM", 300, 220)
def firmware_confirm():
    c = question(["The firmware of the connected 'darvix'", "will be replaced by this file.",
                  "Do not unplug the device until the", "update has finished. Continue?"], 60)
    return c


def splash(subtitle, with_mode):
    c = Canvas(500, 300, style.GRAPHITE_800)
    c.vgradient(0, 0, 500, 300, style.GRAPHITE_700, style.INK)
    # A sweep of the accent colour, like a response curve.
    points = [(x, 170 - 55 * (1.0 / (1.0 + ((x - 250) / 90.0) ** 4))) for x in range(0, 501, 5)]
    c.polyline(points, 3.0, style.ACCENT)
    style.brand_mark(c, 36, 40, 50, on_dark=True, size=30.0, tracking=4.0)
    c.text_in_box((40, 96, 480, 120), subtitle, fonts.sans(False), 13, style.STEEL_300, align="left")
    if with_mode:
        c.text_in_box((200, 214, 322, 236), "Connection", fonts.sans(True), 12, style.STEEL_200, align="right")
        c.text_in_box((40, 262, 480, 284), "Press Enter or double-click to start", fonts.sans(False), 11.5,
                      style.STEEL_400, align="left")
    return c


@bitmap("IDB_SPLASH", 500, 300)
def splash_start():
    return splash("Digital signal processor tuning", True)


@bitmap("IDB_CREDITS", 500, 300)
def splash_credits():
    return splash("Tuning software for the Darvix car-audio processor", False)


def _icon(size):
    c = Canvas(size, size, style.GRAPHITE_800)
    c.rounded_rect(0, 0, size, size, size / 6, style.GRAPHITE_700)
    bar = size * 0.62
    x = size * 0.22
    top = (size - bar) / 2
    slant = bar * 0.4
    c.polygon([(x + slant, top), (x + slant + size * 0.2, top), (x + size * 0.2, top + bar), (x, top + bar)],
              style.ACCENT)
    return c


icon("IDI_APP")(_icon)
icon("IDI_APP_SMALL", sizes=(16,))(_icon)

# The start-up dialog: a captionless popup, centred, in the foreground and in the task bar; the
# mode choice, and a default button that only holds the focus (Enter reaches it).
rc_block("""
IDD_SPLASH DIALOGEX 0, 0, 242, 137
STYLE DS_CENTER | DS_SETFOREGROUND | WS_POPUP
EXSTYLE WS_EX_APPWINDOW
FONT 8, "MS Shell Dlg"
BEGIN
    COMBOBOX 1001, 150, 100, 80, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    DEFPUSHBUTTON "Out Focus", 1002, 0, 0, 1, 1, NOT WS_VISIBLE
END
""")
