"""The response chart's frequency axis as the chart maps it (log10 of 19.69 Hz to 20 kHz across its
plot), shared by the chart's backgrounds and by the faces that carry its frequency numbers under
it (the tuning page, the external-source page, the dynamic-equalisation dialog)."""
import math

from . import fonts, style

X_MIN = math.log10(19.69)
X_MAX = math.log10(20000.0)

FREQUENCY_LABELS = {20: "20", 50: "50", 100: "100", 200: "200", 500: "500", 1000: "1k", 2000: "2k",
                    5000: "5k", 10000: "10k", 20000: "20k"}


def freq_x(left, right, f):
    return left + (math.log10(f) - X_MIN) * (right - left) / (X_MAX - X_MIN)


def frequency_numbers(c, left, right, top, bottom):
    """The frequencies under a chart whose plot spans columns left..right of the face, on the
    face's rows top..bottom, and the unit after the last."""
    for f, text in FREQUENCY_LABELS.items():
        x = freq_x(left, right, f)
        c.text_in_box((x - 20, top, x + 20, bottom), text, fonts.sans(False), 9.0, style.NOTE)
    last = freq_x(left, right, 20000)
    c.text_in_box((last + 12, top, last + 40, bottom), "Hz", fonts.sans(True), 9.0, style.LABEL, align="left")
