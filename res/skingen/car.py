"""The car seen from above, as the tuning page's car view and the I/O wizard's car steps show it.

The speakers' icons are copied onto the picture with their own ground (GROUND), wherever their
spot puts them: on the car's body (the centre speakers) or beside it (the sides, the subwoofer
spot). The body is therefore of the ground's colour, drawn as an outline that keeps clear of every
place an icon can take: a side spot's icons lie within 24 pixels of its anchor's column, the
subwoofer spot's from row 358 down, the centre's on the bonnet."""
from . import fonts, style
from .canvas import mix

GROUND = (0x23, 0x27, 0x2D)
BODY = (0x3B, 0x42, 0x4B)
GLASS = (0x55, 0x66, 0x78)
FLOOR = mix(GROUND, BODY, 0.45)   # the cabin floor, under the seat buttons


def draw(c, x0, x1, top=6, bottom=354):
    """The car between columns x0 and x1, bonnet at the top."""
    c.rounded_frame(x0, top, x1, bottom, 34, 2, style.STEEL_500)
    # Windscreen and rear window.
    c.polygon([(x0 + 8, 118), (x1 - 8, 118), (x1 - 18, 146), (x0 + 18, 146)], GLASS)
    c.polygon([(x0 + 16, 306), (x1 - 16, 306), (x1 - 9, 330), (x0 + 9, 330)], GLASS)
    # The cabin floor where the seats are.
    c.rounded_rect(x0 + 14, 154, x1 - 14, 300, 10, FLOOR)
    # Front and rear doors.
    for y in (188, 268):
        c.fill_rect(x0, y, x0 + 6, y + 1, style.STEEL_500)
        c.fill_rect(x1 - 6, y, x1, y + 1, style.STEEL_500)
    c.text_in_box((x0, 90, x1, 104), "FRONT", fonts.sans(True), 9, style.STEEL_400, tracking=1.5)
