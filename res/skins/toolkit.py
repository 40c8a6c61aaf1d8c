"""Skins of the window toolkit: the caption strip and its buttons, the dialog background, the
message-box buttons and the "don't ask again" check box."""
from skingen import style
from skingen.registry import bitmap, rc_block, strip


@bitmap("IDB_CAPTION_BAR", 1024, 29)
def caption_bar():
    return style.caption_bar(1024, 29)


# The buttons sit at y 4 of the strip; their rest frame repeats the strip's rows 4..24.
@strip("IDB_CAPTION_CLOSE", 23, 21, ["normal", "pressed"])
def caption_close(state):
    return style.window_button(state, "close", 23, 21, 4, style.DANGER)


@strip("IDB_CAPTION_MINIMIZE", 21, 21, ["normal", "pressed"])
def caption_minimize(state):
    return style.window_button(state, "minimize", 21, 21, 4, style.GRAPHITE_600)


# The message box and the dialogs put their buttons in the bottom 85 rows (the row at 158..197, a
# check box at 200..215), but a question's message rectangle reaches down to row 152: the light
# body runs to 152 and the dark band begins under it.
@bitmap("IDB_DIALOG_BG", 300, 220)
def dialog_background():
    return style.dialog_background(300, 220, 67)


def _push(name, label):
    @strip(name, 78, 39, style.PUSH_STATES)
    def draw(state):
        return style.push_button(state, label)
    draw.__name__ = name.lower()


for _name, _label in [("IDB_BTN_OK", "OK"), ("IDB_BTN_YES", "YES"), ("IDB_BTN_NO", "NO"),
                      ("IDB_BTN_CANCEL", "CANCEL"), ("IDB_BTN_NEXT", "NEXT"),
                      ("IDB_BTN_SKIP", "SKIP"), ("IDB_BTN_BACK", "BACK")]:
    _push(_name, _label)


@strip("IDB_CHECK_DONT_ASK", 145, 15, style.CHECK_STATES)
def check_dont_ask(state):
    return style.check_box(state, "Don't ask me again")


# The message box: a borderless popup without controls; the box sizes itself to its background,
# so client and window rectangles are the same.
rc_block("""
IDD_MSGBOX DIALOGEX 0, 0, 200, 146
STYLE WS_POPUP
FONT 8, "MS Shell Dlg"
BEGIN
END
""")
