"""The skin generator's contrast rule: the ratio as WCAG 2 defines it, checked on every text a
canvas letters (inactive labels aside)."""
import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res"))

from skingen import contrast, fonts  # noqa: E402
from skingen.canvas import Canvas  # noqa: E402


class Ratio(unittest.TestCase):
    def test_reference_pairs(self):
        # Pairs with published WCAG ratios: black on white 21:1, #777 on white 4.48:1 (just
        # below AA), #767676 on white 4.54:1 (just above), a colour on itself 1:1.
        cases = [((0, 0, 0), (255, 255, 255), 21.0), ((0x77, 0x77, 0x77), (255, 255, 255), 4.48),
                 ((0x76, 0x76, 0x76), (255, 255, 255), 4.54), ((0xEE, 0x76, 0x1C), (0xEE, 0x76, 0x1C), 1.0)]
        for a, b, want in cases:
            self.assertAlmostEqual(contrast.ratio(a, b), want, places=2, msg=(a, b))
            self.assertAlmostEqual(contrast.ratio(b, a), want, places=2)

    def test_alpha_blends_toward_the_ground(self):
        self.assertEqual(contrast.over((255, 255, 255), 255, (0, 0, 0)), (255, 255, 255))
        self.assertEqual(contrast.over((255, 255, 255), 0, (10, 20, 30)), (10, 20, 30))
        self.assertEqual(contrast.over((200, 100, 0), 128, (0, 0, 0)), (100, 50, 0))
        # Black at alpha 200 on white shows as grey 55: about 12:1, where opaque black gives 21:1.
        with self.assertRaises(contrast.ContrastError):
            contrast.require((0x77, 0x77, 0x77), 255, (255, 255, 255), "grey")
        self.assertGreater(contrast.require((0, 0, 0), 200, (255, 255, 255), "black"), 7.0)


class Lettering(unittest.TestCase):
    def test_a_text_is_measured_on_the_ground_it_covers(self):
        # The same grey reads on the dark half of a canvas and not on the light half.
        c = Canvas(200, 20, (0x1E, 0x22, 0x28))
        c.fill_rect(100, 0, 200, 20, (0xB0, 0xB0, 0xB0))
        grey = (0x8C, 0x96, 0xA0)
        c.text_in_box((0, 0, 100, 20), "LEVEL", fonts.sans(True), 11, grey)
        with self.assertRaises(contrast.ContrastError) as raised:
            c.text_in_box((100, 0, 200, 20), "LEVEL", fonts.sans(True), 11, grey)
        self.assertIn('"LEVEL"', str(raised.exception))
        # A disabled control's label is exempt, as WCAG has it.
        c.text_in_box((100, 0, 200, 20), "LEVEL", fonts.sans(True), 11, grey, inactive=True)


if __name__ == "__main__":
    unittest.main()
