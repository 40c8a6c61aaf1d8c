"""Skins of the firmware update: its two progress bars (the dialog, its title and its OK button
share the other dialogs' skins)."""
from skingen import style
from skingen.registry import bitmap


@bitmap("IDB_FIRMWARE_PROGRESS", 264, 192)
def firmware_progress():
    # The bar's window sits at (30, 38) in the dialog: the track runs from x 6 over 224 pixels.
    return style.progress_bar(264, 192, 6, 224)


@bitmap("IDB_FIRMWARE_PROGRESS_ALT", 253, 194)
def firmware_progress_alt():
    return style.progress_bar(253, 194, 6, 224)
