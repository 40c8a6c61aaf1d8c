"""Skins of the I/O wizard: the step pictures with their words, the car-view steps' background,
titles and car, the two warnings, the passive-crossover toggles, the output-channel labels with
their arrows and amplifier boxes, the input menu buttons, the check boxes and the bar, and the
input menus."""
from skingen import car, contrast, fonts, style
from skingen.canvas import Canvas, mix, wrap
from skingen.registry import bitmap, rc_block, strip

CAR_BG = car.GROUND
BOX_FILL = (212, 208, 200)  # the dialog's brush behind a box's choice

BUTTON_BAND = 85
CAR_BUTTON_BAND = 60


def title(c, text, x=83):
    c.text_in_box((x + 4, 2, c.width, style.DIALOG_HEADER), text.upper(), fonts.sans(True), 12,
                  style.TITLE_ON_DARK, align="left", tracking=0.8)


def paragraph(c, text, top, left=20, right=280, size=12.5, bold=False, colour=style.TEXT_DARK):
    font = fonts.sans(bold)
    for line in wrap(text, font, size, right - left):
        c.text_in_box((left, top, right, top + 18), line, font, size, colour, align="left")
        top += 18
    return top


def step_page(heading, text=None, top=52):
    c = style.dialog_background(300, 380, BUTTON_BAND)
    contrast.require((10, 10, 10), 185, style.BODY, "the wizard's status text")
    title(c, heading)
    if text:
        paragraph(c, text, top)
    return c


@bitmap("IDB_WIZARD_TYPE", 300, 380)
def wizard_type():
    c = step_page("Source type")
    paragraph(c, "Master input:", 58, bold=True)
    c.text_in_box((140, 58, 280, 76), "one of the two", fonts.sans(False), 11, style.TEXT_MUTED, align="left")
    # The two levels are a choice of one: one framed group, split between its two rows (the
    # checks stand at (71, 84) and (71, 108)).
    c.rounded_frame(62, 79, 282, 129, 5, 1, style.STEEL_400)
    c.fill_rect(63, 79, 66, 129, style.ACCENT)
    c.fill_rect(70, 104, 276, 105, style.STEEL_200)
    for y, label in ((84, "High Level Input"), (108, "Low Level Input")):
        c.text_in_box((94, y, 280, y + 16), label, fonts.sans(False), 12, style.TEXT_DARK, align="left")
    paragraph(c, "Auxiliary inputs:", 150, bold=True)
    for i, label in enumerate(("Aux 1", "Aux 2", "S/PDIF", "Optical", "Phone")):
        y = 179 + 24 * i
        c.text_in_box((94, y, 280, y + 16), label, fonts.sans(False), 12, style.TEXT_DARK, align="left")
    return c


def assignment(heading_text, count, box_left, box_right, third_shift):
    c = step_page("Master inputs")
    contrast.require((0, 0, 0), 255, BOX_FILL, "the input boxes' choices")
    paragraph(c, heading_text, 40, size=11.5)
    tops = (85, 109, 133, 158, 182, 206, 230, 255)
    bottoms = (99, 123, 147, 172, 196, 220, 244, 269)
    for i in range(count):
        shift = third_shift if i == 2 else 0
        c.text_in_box((20, tops[i], box_left - 6, bottoms[i]), "Channel %d" % (i + 1),
                      fonts.sans(True), 12, style.TEXT_DARK, align="left")
        c.fill_rect(box_left + shift - 1, tops[i] - 1, box_right + shift + 1, bottoms[i] + 1,
                    style.STEEL_400)
        c.fill_rect(box_left + shift, tops[i], box_right + shift, bottoms[i], BOX_FILL)
    return c


@bitmap("IDB_WIZARD_HIGH", 300, 380)
def wizard_high():
    return assignment("Assign the master high-level signals to the inputs.", 8, 141, 248, 0)


@bitmap("IDB_WIZARD_LOW", 300, 380)
def wizard_low():
    return assignment("Assign the master low-level signals to the inputs.", 6, 156, 233, 1)


@bitmap("IDB_WIZARD_LEVEL", 300, 380)
def wizard_level():
    c = step_page("Input level setup")
    top = paragraph(c, "Insert the installation CD and play track 1.", 52)
    top = paragraph(c, "Set all tone controls, balance and fader to 0.", top + 10)
    paragraph(c, "Turn the player's volume up to the maximum undistorted level, then press 'Next'.",
              top + 10)
    return c


@bitmap("IDB_WIZARD_LEVEL_RUN", 300, 380)
def wizard_level_run():
    return step_page("Input level setup",
                     "Wait until the Darvix completes the input level setup.", 70)


@bitmap("IDB_WIZARD_CALIBRATE", 300, 380)
def wizard_calibrate():
    c = step_page("Auto calibration")
    top = paragraph(c, "Press 'Next' to de-equalize the factory (OEM) source automatically.", 52)
    paragraph(c, "Press 'Skip' to jump over this process.", top + 10)
    return c


@bitmap("IDB_WIZARD_TRACK2", 300, 380)
def wizard_track2():
    c = step_page("Auto calibration")
    top = paragraph(c, "Switch the player to track 2 and press 'Next'.", 52)
    paragraph(c, "Do not change the volume or disconnect any line during the process.", top + 10,
              colour=style.DANGER_TEXT)
    return c


@bitmap("IDB_WIZARD_CAL_RUN", 300, 380)
def wizard_cal_run():
    return step_page("Auto calibration",
                     "Wait until the Darvix completes the de-equalization.", 70)


@bitmap("IDB_WIZARD_DONE", 300, 380)
def wizard_done():
    c = step_page("Wizard completed")
    top = paragraph(c, "Congratulations!", 60, bold=True, size=14)
    top = paragraph(c, "The system setup is completed.", top + 10)
    paragraph(c, "Remove the installation CD.", top + 10)
    return c


@bitmap("IDB_WIZARD_CAR_BG", 442, 510)
def wizard_car_background():
    # The car view covers the body from row 30 to 441; the rows it leaves to the button band are
    # of the car's ground.
    c = style.dialog_background(442, 510, CAR_BUTTON_BAND)
    c.fill_rect(1, style.DIALOG_HEADER + 1, 441, 510 - CAR_BUTTON_BAND, CAR_BG)
    return c


def _car_title(name, text):
    @bitmap(name, 330, 27)
    def draw():
        return style.title_overlay(text, width=330)
    draw.__name__ = name.lower()


for _name, _text in [("IDB_TITLE_SPEAKERS", "Set available speakers"),
                     ("IDB_TITLE_PASSIVE", "Set passive crossover configuration"),
                     ("IDB_TITLE_CHANNELS", "Assign Darvix output channels"),
                     ("IDB_TITLE_AMPLIFIERS", "Set Tolvar provided amplifiers")]:
    _car_title(_name, _text)


# The same car as the tuning page's, its spots further right (front left 123, centre 223, front
# right 317): the body keeps clear of the side icons (x 99..148 and 293..342) and of the subwoofer
# spot below it; the centre's W+T toggle (183, 15) and the centre icons stand on the bonnet.
@bitmap("IDB_CAR_WIZARD", 442, 411)
def car_wizard():
    c = Canvas(442, 411, CAR_BG)
    car.draw(c, 152, 289)
    return c


def warning(width, height, text):
    c = Canvas(width, height, CAR_BG)
    c.rounded_rect(0, 0, width, height, 8, mix(style.DANGER, CAR_BG, 0.25))
    c.rounded_frame(0, 0, width, height, 8, 2, style.DANGER)
    paragraph(c, "WARNING", 8, left=10, right=width - 8, bold=True, colour=style.WHITE)
    paragraph(c, text, 32, left=10, right=width - 8, size=12, colour=style.WHITE)
    return c


@bitmap("IDB_WARN_OUTPUTS", 167, 124)
def warn_outputs():
    return warning(167, 124, "This configuration needs more output channels than the Darvix has.")


@bitmap("IDB_WARN_CONFLICT", 141, 275)
def warn_conflict():
    return warning(141, 275, "An output channel is assigned twice. Give every label its own "
                             "channel.")


def _toggle(name, label):
    @strip(name, 46, 20, ["off", "on"])
    def frames(state):
        on = state == 1
        c = Canvas(46, 20, CAR_BG)
        c.rounded_rect(1, 2, 45, 18, 8, style.ACCENT if on else style.GRAPHITE_600)
        c.rounded_frame(1, 2, 45, 18, 8, 1, style.ACCENT_DARK if on else style.STEEL_400)
        c.text_in_box((2, 2, 44, 18), label, fonts.sans(True), 9,
                      style.ON_ACCENT if on else style.STEEL_100)
        return c
    frames.__name__ = name.lower()


for _name, _label in [("IDB_TOGGLE_WAY2_R", "2-WAY"), ("IDB_TOGGLE_WAY2_L", "2-WAY"),
                      ("IDB_TOGGLE_CENTER", "W+T"), ("IDB_TOGGLE_WAY3_L", "3-WAY"),
                      ("IDB_TOGGLE_WAY3_R", "3-WAY")]:
    _toggle(_name, _label)


def label(right):
    """An output label: its number box (the program writes the number, black, or red (255, 0, 0)
    for a clash, which reads at 4.0:1 on white: no lighter box makes it better) at the outer end."""
    c = Canvas(79, 20, CAR_BG)
    contrast.require((0, 0, 0), 255, style.WHITE, "the output numbers")
    c.rounded_rect(0, 0, 79, 20, 4, style.STEEL_100)
    c.rounded_frame(0, 0, 79, 20, 4, 1, style.STEEL_400)
    box = (2, 2, 16, 18) if right else (64, 2, 78, 18)
    c.fill_rect(*box, style.WHITE)
    text_box = (36, 0, 77, 20) if right else (3, 0, 44, 20)
    c.text_in_box(text_box, "OUT", fonts.sans(True), 10, style.TEXT_MUTED, align="left")
    return c


@bitmap("IDB_LABEL_LEFT", 79, 20)
def label_left():
    return label(False)


@bitmap("IDB_LABEL_RIGHT", 79, 20)
def label_right():
    return label(True)


def _amplifier(name, right):
    @strip(name, 49, 13, ["off", "on"])
    def frames(state):
        c = Canvas(49, 13, CAR_BG)
        box = (1, 0, 14, 13) if right else (35, 0, 48, 13)
        c.rounded_rect(*box, 2, style.ACCENT if state == 1 else style.WHITE)
        c.rounded_frame(*box, 2, 1, style.STEEL_400)
        if state == 1:
            x = box[0]
            c.polyline([(x + 3, 6.5), (x + 5.5, 9.5), (x + 10, 3.5)], 1.8, style.WHITE)
        c.text_in_box((17, 0, 49, 13) if right else (0, 0, 33, 13), "AMP", fonts.sans(True), 9,
                      style.STEEL_200, align="left" if right else "right")
        return c
    frames.__name__ = name.lower()


_amplifier("IDB_AMP_LEFT", False)
_amplifier("IDB_AMP_RIGHT", True)


def _arrow(name, up):
    @strip(name, 16, 9, style.PUSH_STATES)
    def frames(state):
        c = Canvas(16, 9, style.STEEL_100)
        colour = {0: style.TEXT_DARK, 1: style.ACCENT, 2: style.STEEL_300}[state]
        if up:
            c.polygon([(3, 7.5), (13, 7.5), (8, 1.5)], colour)
        else:
            c.polygon([(3, 1.5), (13, 1.5), (8, 7.5)], colour)
        return c
    frames.__name__ = name.lower()


_arrow("IDB_CHANNEL_UP", True)
_arrow("IDB_CHANNEL_DOWN", False)


@strip("IDB_WIZARD_CHECK", 16, 16, style.CHECK_STATES)
def wizard_check(state):
    c = Canvas(16, 16, style.BODY)
    box = (1, 1, 15, 15)
    if state == 1:
        c.rounded_rect(*box, 2.5, style.ACCENT)
        c.rounded_frame(*box, 2.5, 1, style.ACCENT_DARK)
        c.polyline([(4.5, 8.2), (7.0, 10.8), (11.8, 5.0)], 1.8, style.WHITE)
    else:
        c.rounded_rect(*box, 2.5, style.WHITE)
        c.rounded_frame(*box, 2.5, 1, style.STEEL_400)
    return c


@bitmap("IDB_WIZARD_BAR", 260, 24)
def wizard_bar():
    return style.progress_bar(260, 24, 6, 248)


rc_block("""
IDR_MENU_WIZARD_TYPE MENU
BEGIN
    POPUP "Step2"
    BEGIN
        MENUITEM "Low Level Input", 40092
        MENUITEM "High Level Input", 40093
    END
END

IDR_MENU_WIZARD_HIGH MENU
BEGIN
    POPUP "Step3"
    BEGIN
        MENUITEM "Front Left Full", 40094
        MENUITEM "Front Right Full", 40095
        MENUITEM "Front Left Tweeter", 40096
        MENUITEM "Front Right Tweeter", 40097
        MENUITEM "Front Left Midrange", 40098
        MENUITEM "Front Right Midrange", 40099
        MENUITEM "Front Left Woofer", 40100
        MENUITEM "Front Right Woofer", 40101
        MENUITEM "Rear Left Full", 40102
        MENUITEM "Rear Right Full", 40103
        MENUITEM "Rear Left Tweeter", 40104
        MENUITEM "Rear Right Tweeter", 40105
        MENUITEM "Rear Left Woofer", 40106
        MENUITEM "Rear Right Woofer", 40107
        MENUITEM "Center Full", 40108
        MENUITEM "Center Tweeter", 40109
        MENUITEM "Center Woofer", 40110
        MENUITEM "Subwoofer", 40111
        MENUITEM "Not Connected", 40112
    END
END

IDR_MENU_WIZARD_LOW MENU
BEGIN
    POPUP "Step4"
    BEGIN
        MENUITEM "Front Left", 40113
        MENUITEM "Front Right", 40114
        MENUITEM "Rear Left", 40115
        MENUITEM "Rear Right", 40116
        MENUITEM "Center", 40117
        MENUITEM "Subwoofer", 40118
        MENUITEM "Not Connected", 40119
    END
END
""")
