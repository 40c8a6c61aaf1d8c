"""The few Windows constants the cases use, by their Windows names."""

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
WM_MOUSEWHEEL = 0x020A
CB_SETCURSEL = 0x014E
CBN_SELCHANGE = 1

IDOK = 1
IDCANCEL = 2

# The file-name field of the common Open and Save As dialogs (cmb13 of dlgs.h).
cmb13 = 0x047C

VK_RETURN = 0x0D
VK_ESCAPE = 0x1B
VK_UP = 0x26
VK_RIGHT = 0x27
VK_DOWN = 0x28
VK_LSHIFT = 0xA0
VK_RSHIFT = 0xA1
VK_LCONTROL = 0xA2
VK_D = 0x44

# Scan codes of those keys (set 1), as a keyboard gives them with real presses.
SCAN_LSHIFT = 0x2A
SCAN_RSHIFT = 0x36
SCAN_LCONTROL = 0x1D
SCAN_D = 0x20

MK_SHIFT = 0x0004
MK_CONTROL = 0x0008

WHEEL_DELTA = 120


def make_long(low, high):
    """MAKEWPARAM / MAKELPARAM."""
    return (low & 0xFFFF) | ((high & 0xFFFF) << 16)
