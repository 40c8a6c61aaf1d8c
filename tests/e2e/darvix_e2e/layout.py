"""Where the program's windows put their controls: each button at its place in its dialog's client
area (the size where the dialog's bitmaps fix it), each page and panel at its rectangle. A case
presses a button by its name here; the one helper that finds it is Session.press."""

from typing import NamedTuple, Optional


class Place(NamedTuple):
    """A child window's rectangle in its parent's client area; w and h None: any size."""

    x: int
    y: int
    w: Optional[int] = None
    h: Optional[int] = None

    def holds(self, child):
        return (
            child["x"] == self.x
            and child["y"] == self.y
            and (self.w is None or child["w"] == self.w)
            and (self.h is None or child["h"] == self.h)
        )

    def __str__(self):
        size = f" {self.w}x{self.h}" if self.w is not None else ""
        return f"({self.x}, {self.y}){size}"


# The maintenance dialogs' push buttons are 78 by 39 (bitmaps 146 to 149, 147, 257, 265, 266).
def _button(x, y):
    return Place(x, y, 78, 39)


class Sync:  # SyncDspDlg
    OK = _button(110, 160)
    OK_AFTER_FAILURE = _button(157, 420)  # on the larger face of a failed read-back
    FAILED_FACE = (392, 480)  # the size of that face


class Update:  # UpdateDspDlg: write to the device, FINALIZE
    OK = _button(110, 160)
    YES = _button(50, 160)
    NO = _button(170, 160)


class Exit:  # ExitDlg
    YES = _button(30, 168)
    NO = _button(110, 168)
    CANCEL = _button(190, 168)


class Scan:  # ScanPortDlg
    OK = _button(31, 168)
    NEXT = _button(110, 168)
    RETRY = _button(110, 168)  # Next's place; the shown one of the two
    CANCEL = _button(189, 168)


class Firmware:  # SoftwareUpdateDlg
    OK = _button(110, 160)


class Wizard:  # WizardDlg: buttons that share a place are told apart by which one is shown
    BACK = _button(31, 330)
    NEXT = _button(110, 330)
    FINISH = _button(110, 330)  # moved there on the last step
    CANCEL = _button(189, 330)
    CAR_BACK = Place(106, 460)  # on the car-view steps 10 to 13
    CAR_NEXT = Place(185, 460)
    CAR_CANCEL = Place(264, 460)
    HIGH_LEVEL = Place(71, 84)  # the High Level check of step 1
    INPUT_BOX_X = 250  # the input boxes of step 2, one under the other
    ASSIGN_X = 235  # the six buttons of step 3's low-level input assignment, one under the other
    CAR_VIEW = Place(1, 30, 442, 411)
    # In the car view: step 11's passive toggle of the front left, step 13's subwoofer amplifier.
    FRONT_LEFT_PASSIVE = Place(49, 170)
    SUBWOOFER_AMPLIFIER = Place(136, 374)
    FRONT_RIGHT_PASSIVE = Place(339, 170)


class DynEq:  # EqDynamicDlg
    WIDTH = 1019
    ADVANCED_HEIGHT = 481
    CLOSE = Place(993, 4, 23, 21)
    EASY = Place(11, 59, 120, 19)
    ADVANCED = Place(11, 79, 120, 19)
    START_SAVE = Place(47, 185)  # START and SAVE share it: the shown one


class Box:  # MsgBox: a centred row of buttons and, for "ask no more", a check box apart
    CHECK = Place(8, 200)


class Startup:  # the start-up dialog (template 165)
    MODE_COMBO_ID = 1001
    CONFIRM_AT = (20, 20)  # a double click anywhere on its picture confirms it


class Main:  # the main window's client area
    TAB_BAR = Place(0, 28, 1024, 37)
    PAGE = Place(0, 65, 1024, 704)  # each of the three pages


class TabBar:
    # The menu buttons by their left edges.
    FILE = 3
    CONFIG = 48
    PRESET = 250
    # Clicks on the tabs (the bar's client coordinates).
    TUNING_TAB = (600, 20)
    LEVELS_TAB = (880, 20)
    PRESET_A_TAB = (320, 8)
    PRESET_B_TAB = (355, 5)
    PRESET_C_TAB = (390, 8)
    PRESET_D_TAB = (430, 5)
    PRESET_TABS = (315, 449, 1, 17)  # the four preset tabs: columns 315..448, rows 1..16 of the bar
    SOURCES_TAB = (780, 20)


class Tuning:  # the DSPSetting page and its panels (in the page's client area)
    CROSSOVER = Place(1, 2, 248, 294)
    CHANNEL_MAP = Place(250, 3, 314, 296)
    CAR_VIEW = Place(2, 297, 249, 406)
    PANELS = (
        Place(1, 2, 248, 294),  # FilterSettings
        Place(250, 3, 314, 296),  # ChannelMap
        Place(564, 2, 458, 199),  # DeviceInfo
        Place(564, 202, 460, 106),  # DisplaySettings
        Place(264, 311, 747, 159),  # DisplayChart
        Place(251, 485, 773, 219),  # EqSettings
        Place(2, 297, 249, 406),  # CarChannel
    )
    EQ = Place(251, 485)
    DEVICE_INFO = Place(564, 2, 458, 199)
    # The chart's place in the page, and the page's in the main window's client area.
    CHART = (264, 311)
    PAGE_TOP = 65


class Crossover:  # FilterSettings
    PHASE = Place(6, 268, 62, 22)
    DISTANCE_UP = Place(101, 212, 17, 9)
    TRIM_UP = Place(211, 212, 17, 9)
    XOVER_LINK = Place(118, 270, 88, 20)


class CarView:  # CarChannel
    SEAT_2 = Place(115, 232, 18, 17)
    SEAT_3 = Place(115, 260, 18, 17)


def eq_slider(band):
    """The slider of an equaliser band in the main window's client area."""
    return Place(Tuning.EQ.x + 48 + 22 * band, Main.PAGE.y + Tuning.EQ.y + 38, 22, 160)


def eq_band_switch(band):
    """The switch above an equaliser band's slider, in the main window's client area."""
    return Place(Tuning.EQ.x + 50 + 22 * band, Main.PAGE.y + Tuning.EQ.y + 25, 18, 12)


class Sources:  # ExtSourceEq
    MASTER_SLIDER = Place(964, 513, 17, 158)
    SWITCH_X = 22
    SWITCH_Y = (352, 383, 414, 445, 476)  # the slots of the source switches, top to bottom


class Levels:  # OutputLevel: a channel's fader
    FADER_SIZE = (34, 229)
    MUTE_SIZE = (21, 20)  # the eight mute switches, one under each fader
