"""The tab bar under the caption: its strip, the page and preset tab rows, the File, Config and
Preset menu buttons, and the three popup menus."""
from skingen import fonts, style
from skingen.canvas import Canvas, mix
from skingen.registry import bitmap, rc_block, strip

BAR_TOP = style.GRAPHITE_700
BAR_BOTTOM = style.GRAPHITE_800
BAR_HEIGHT = 37


def bar_colour(y):
    return mix(BAR_TOP, BAR_BOTTOM, min(1.0, y / (BAR_HEIGHT - 2)))


def bar_rows(width, height, y_offset):
    """A piece of the bar's own gradient, so that strips and buttons sit on it seamlessly."""
    c = Canvas(width, height)
    for y in range(height):
        c.fill_rect(0, y, width, y + 1, bar_colour(min(BAR_HEIGHT - 2, y + y_offset)))
    return c


@bitmap("IDB_TAB_BAR", 1024, BAR_HEIGHT)
def tab_bar():
    c = bar_rows(1024, BAR_HEIGHT, 0)
    c.fill_rect(0, BAR_HEIGHT - 1, 1024, BAR_HEIGHT, style.ACCENT_DARK)
    return c


# The page tabs, in strip coordinates (the strip is drawn at x 512 of the bar).
PAGE_TABS = [((38, 10, 188, 32), "DSP SETTINGS"), ((198, 10, 338, 32), "SOURCE EQ"),
             ((358, 10, 512, 32), "OUTPUT LEVELS")]


@strip("IDB_PAGE_TABS", 512, BAR_HEIGHT, ["dsp", "sources", "levels"], vertical=True)
def page_tabs(selected):
    c = bar_rows(512, BAR_HEIGHT, 0)
    c.fill_rect(0, BAR_HEIGHT - 1, 512, BAR_HEIGHT, style.ACCENT_DARK)
    for i, ((x0, y0, x1, y1), label) in enumerate(PAGE_TABS):
        if i == selected:
            c.rounded_rect(x0, y0 - 4, x1 - 2, BAR_HEIGHT, 4, style.ACCENT)
            c.text_in_box((x0, y0, x1 - 2, y1), label, fonts.sans(True), 11.5, style.ON_ACCENT, tracking=0.8)
        else:
            c.rounded_rect(x0, y0 - 2, x1 - 2, y1 + 1, 4, style.GRAPHITE_600)
            c.text_in_box((x0, y0, x1 - 2, y1), label, fonts.sans(True), 11, style.STEEL_100, tracking=0.8)
    return c


# The preset tabs in strip coordinates (the strip is drawn at (247, 1) of the bar); its left part
# lies under the Preset button.
PRESET_TABS = [(68, 97), (103, 132), (137, 166), (172, 201)]


@strip("IDB_PRESET_TABS", 211, 22, ["A", "B", "C", "D"], vertical=True)
def preset_tabs(selected):
    c = bar_rows(211, 22, 1)
    for i, (x0, x1) in enumerate(PRESET_TABS):
        on = i == selected
        c.rounded_rect(x0, 1, x1, 16, 3, style.ACCENT if on else style.GRAPHITE_600)
        if on:
            c.fill_rect(x0 + 3, 18, x1 - 3, 20, style.ACCENT_LIGHT)
        c.text_in_box((x0, 1, x1, 16), "ABCD"[i], fonts.sans(True), 11.5,
                      style.ON_ACCENT if on else style.STEEL_100)
    return c


def menu_button(state, label, width, height, y_offset):
    c = bar_rows(width, height, y_offset)
    face = {0: None, 1: style.ACCENT, 2: None}[state]
    if face:
        c.rounded_rect(1, 1, width - 1, height - 1, 3, face)
    colour = {0: style.TEXT_ON_DARK, 1: style.ON_ACCENT, 2: style.STEEL_500}[state]
    c.text_in_box((0, 0, width - 8, height), label, fonts.sans(True), 11.5, colour, inactive=state == 2)
    # A small arrow: the button opens a menu.
    ax, ay = width - 8, height / 2 + 1
    c.polygon([(ax - 3, ay - 2), (ax + 3, ay - 2), (ax, ay + 2)], colour)
    return c


@strip("IDB_BTN_FILE", 44, 24, style.PUSH_STATES)
def file_button(state):
    return menu_button(state, "File", 44, 24, 1)


@strip("IDB_BTN_CONFIG", 62, 24, style.PUSH_STATES)
def config_button(state):
    return menu_button(state, "Config", 62, 24, 1)


@strip("IDB_BTN_PRESET", 62, 22, style.PUSH_STATES)
def preset_button(state):
    return menu_button(state, "Preset", 62, 22, 1)


# The menus: each is shown as its first submenu, whose items stand at the positions the tab bar
# prepares them by.
rc_block("""
IDR_MENU_FILE MENU
BEGIN
    POPUP "File"
    BEGIN
        MENUITEM "Load Setup..", 40129
        MENUITEM "Save Setup..", 40130
        MENUITEM SEPARATOR
        MENUITEM "FINALIZE to Darvix", 40266
        POPUP "Synchronize"
        BEGIN
            MENUITEM "Pc -> Darvix", 40268
            MENUITEM "Pc <- Darvix", 40269
        END
        MENUITEM SEPARATOR
        MENUITEM "Check for Updates", 40270
        MENUITEM "Update Firmware", 40271
        MENUITEM SEPARATOR
        MENUITEM "Reset Default Answer", 40279
        MENUITEM "Reset Settings", 40280
        MENUITEM SEPARATOR
        MENUITEM "Credits", 40131
        MENUITEM "Exit", 40132
    END
END

IDR_MENU_CONFIG MENU
BEGIN
    POPUP "Config"
    BEGIN
        MENUITEM "I/O Configuration Wizard", 40133
        POPUP "External Source"
        BEGIN
            MENUITEM "Aux 1", 40285
            MENUITEM "Aux 2", 40286
            MENUITEM "SPDIF", 40287
            MENUITEM "Optical", 40288
            MENUITEM "Phone", 40289
        END
        MENUITEM SEPARATOR
        MENUITEM "Dynamic Equalization Wizard", 40148
        POPUP "Dynamic Equalization"
        BEGIN
            MENUITEM "On", 40282
            MENUITEM "Off", 40283
        END
        MENUITEM SEPARATOR
        POPUP "Com Setup"
        BEGIN
            MENUITEM "Scan Port", 40149
            POPUP "Connect To"
            BEGIN
                MENUITEM "COM1", 40290
            END
        END
        MENUITEM SEPARATOR
        POPUP "Working Mode"
        BEGIN
            MENUITEM "Standard", 40146
            MENUITEM "Expert", 40147
        END
    END
END

IDR_MENU_PRESET MENU
BEGIN
    POPUP "Preset"
    BEGIN
        MENUITEM "Load All Presets", 40135
        MENUITEM "Save All Presets", 40136
        MENUITEM SEPARATOR
        MENUITEM "Load Current Preset", 40137
        MENUITEM "Save Current Preset", 40138
        MENUITEM SEPARATOR
        POPUP "Copy Preset From"
        BEGIN
            MENUITEM "A", 40141
            MENUITEM "B", 40142
            MENUITEM "C", 40143
            MENUITEM "D", 40144
        END
        MENUITEM "Current Preset Default", 40140
    END
END
""")
