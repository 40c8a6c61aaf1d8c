"""Skins of the device scan: its Retry button and its progress bar (the dialog, its title and its
other buttons share the other dialogs' skins)."""
from skingen import style
from skingen.registry import bitmap, strip


@strip("IDB_BTN_RETRY", 78, 39, style.PUSH_STATES)
def btn_retry(state):
    return style.push_button(state, "RETRY")


@bitmap("IDB_SCAN_PROGRESS", 251, 136)
def scan_progress():
    # The bar's window sits at (20, 65) in the dialog: the track runs from x 11 over 230 pixels.
    return style.progress_bar(251, 136, 11, 230)
