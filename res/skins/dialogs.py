"""Skins of the maintenance dialogs: the read-back's and the write's bars, the read-back's larger
failure face, and the questions drawn as pictures (FINALIZE from the menu, the two exit questions).
The pictures sit on the dialog skin's body, so they are drawn on its colour."""
from skingen import fonts, style
from skingen.canvas import Canvas, wrap
from skingen.registry import bitmap

# The words of the pictures; the dialogs keep the same sentences as their window texts.
FINALIZE_WARNING = "FINALIZE stores the current settings in 'darvix' permanently. Press 'Yes' to proceed."
EXIT_ONLINE = "The settings have changed. FINALIZE them in 'darvix' before closing?"
EXIT_OFFLINE = ("The settings have changed and are not saved. Save them to a setup file before "
                "closing?")



def text_picture(width, height, text, place_y, accent_rule=False):
    """place_y: where the dialog draws it; rows that fall on the dialog's header repeat the header,
    so that the picture does not cut into it."""
    c = Canvas(width, height, style.BODY)
    for y in range(height):
        if y + place_y < style.DIALOG_HEADER:
            c.fill_rect(0, y, width, y + 1, style.header_colour(y + place_y))
        elif y + place_y == style.DIALOG_HEADER:
            c.fill_rect(0, y, width, y + 1, style.HEADER_RULE)
    skip = max(0, style.DIALOG_HEADER + 1 - place_y)
    font = fonts.sans(False)
    x = 0
    if accent_rule:  # a warning: an accent bar down its left edge
        c.fill_rect(0, skip + 2, 3, height - 2, style.ACCENT)
        x = 10
    top = skip + 4
    for line in wrap(text, font, 12.5, width - x - 2):
        c.text_in_box((x, top, width, top + 20), line, font, 12.5, style.TEXT_DARK, align="left")
        top += 20
    return c


@bitmap("IDB_BAR_SYNC", 240, 24)
def bar_sync():
    return style.progress_bar(240, 24, 6, 228)


@bitmap("IDB_BAR_UPDATE", 240, 24)
def bar_update():
    return style.progress_bar(240, 24, 6, 228)


@bitmap("IDB_SYNC_FAILED_BG", 392, 480)
def sync_failed_background():
    return style.dialog_background(392, 480, 70)


@bitmap("IDB_FINALIZE_WARNING", 222, 96)
def finalize_warning():
    return text_picture(222, 96, FINALIZE_WARNING, 35, accent_rule=True)


@bitmap("IDB_EXIT_FINALIZE_QUESTION", 222, 100)
def exit_finalize_question():
    return text_picture(222, 100, EXIT_ONLINE, 30)


@bitmap("IDB_EXIT_SAVE_QUESTION", 260, 92)
def exit_save_question():
    return text_picture(260, 92, EXIT_OFFLINE, 39)
