"""Contrast of text against its ground, as WCAG 2 measures it: every text a skin letters, and every
text the program draws over a skin, must read at 4.5:1 or better."""

MINIMUM = 4.5


class ContrastError(Exception):
    """A text that reads below the minimum; the generator names the bitmap it was drawn in."""


def luminance(c):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    return 0.2126 * lin(c[0]) + 0.7152 * lin(c[1]) + 0.0722 * lin(c[2])


def over(colour, alpha, ground):
    """colour drawn at alpha (0..255) over ground."""
    return tuple(round(g + (c - g) * alpha / 255.0) for c, g in zip(colour, ground))


def ratio(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


def require(text, alpha, ground, what):
    """The program draws `text` at `alpha` (0..255) over `ground`: it must read at the minimum."""
    r = ratio(over(text, alpha, ground), ground)
    if r < MINIMUM:
        raise ContrastError(f"{what} reads at {r:.2f}:1 only (text {text} at alpha {alpha} on {ground})")
    return r
