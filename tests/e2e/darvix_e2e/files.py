"""The program's files as the cases make and read them. Setup files ("*.bit"): a tuning section
(four presets of 8 records, 40580 bytes a preset after a 12-byte head), then the output levels (a
count and 34 values: four presets of eight channels, master, subwoofer), then two sections of
fixed size (9964 and 24972 bytes). Firmware images ("*.bin"): a header and the payload."""

import struct
from pathlib import Path

RECORD_SIZE = 5072  # one output's record
PRESET_SIZE = 40580
TUNING_HEAD = 12  # the container's head before the first preset
LEVEL_COUNT = 34
LAST_SECTIONS = 24972 + 9964
EQ_GAINS_AT = 92  # in a record, after its four-byte head: 31 float gains
EQ_SECTIONS_AT = 344  # the 31 band sections, 152 bytes each


def read(path):
    return bytearray(Path(path).read_bytes())


def record_at(preset):
    """Where the first record of a preset starts (after its four-byte head)."""
    return TUNING_HEAD + PRESET_SIZE * preset + 4


def levels_at(b):
    at = len(b) - LAST_SECTIONS - (4 + 4 * LEVEL_COUNT)
    (count,) = struct.unpack_from("<i", b, at)
    if count != LEVEL_COUNT:
        raise ValueError(f"no output-level section where expected (count {count})")
    return at


def levels(b):
    return list(struct.unpack_from(f"<{LEVEL_COUNT}f", b, levels_at(b) + 4))


def eq_gains(b, preset):
    return list(struct.unpack_from("<31f", b, record_at(preset) + EQ_GAINS_AT))


def patch(src, dst, *what):
    """A copy of a setup with: "levels" of its own (-0.5 dB times 1 + 8 * preset + channel; master
    and subwoofer as they were), "loud" channel 6 of preset A at +3 dB (refused: above 0 dB), "eq"
    every preset's first output's 1 kHz band raised by 6 dB, or "zero" the levels of the setups the
    program wrote before its output-level page (all 34 values 0)."""
    b = read(src)
    for w in what:
        at = levels_at(b)
        if w == "levels":
            for k in range(32):
                struct.pack_into("<f", b, at + 4 + 4 * k, -0.5 * (1 + k))
        elif w == "loud":
            struct.pack_into("<f", b, at + 4 + 4 * 5, 3.0)
        elif w == "zero":
            struct.pack_into(f"<i{LEVEL_COUNT}f", b, at, LEVEL_COUNT, *([0.0] * LEVEL_COUNT))
        elif w == "eq":
            for p in range(4):
                struct.pack_into("<f", b, record_at(p) + EQ_GAINS_AT + 4 * 17, 6.0)
        else:
            raise ValueError(f"no patch {w!r}")
    Path(dst).write_bytes(bytes(b))


def same_levels(a, b):
    return levels(read(a)) == levels(read(b))


def same_tuning(a, b):
    """The same equaliser gains in every preset, with the patched 1 kHz band of preset A."""
    x, y = read(a), read(b)
    return all(eq_gains(x, p) == eq_gains(y, p) for p in range(4)) and eq_gains(x, 0)[17] == 6.0


def level_texts(path):
    """The 34 values of a setup's output levels, as the shell's %g prints them."""
    return ["%g" % v for v in levels(read(path))]


def spoil_band_sections(path):
    """Every preset's first output: band 17 (1 kHz) at +6 dB, and stored sections that are garbage
    (orders of 200, a0 of 0, NaN coefficients)."""
    b = read(path)
    for preset in range(4):
        record = record_at(preset)
        for k in range(31):
            struct.pack_into("<f", b, record + EQ_GAINS_AT + 4 * k, 6.0 if k == 17 else 0.0)
            section = record + EQ_SECTIONS_AT + 152 * k
            struct.pack_into("<i", b, section + 144, 200 if k % 3 == 0 else 2)
            if k % 3 == 1:
                struct.pack_into("<d", b, section + 72, 0.0)
            if k % 3 == 2:
                struct.pack_into("<d", b, section + 8, float("nan"))
    Path(path).write_bytes(bytes(b))


def layout_of(path):
    """The outputs of preset A: (output, position, kind) per record, in output order. The first
    preset's eight records lie one after another: the first place where eight records follow, the
    first on output 0, each on its own output or none (-1), with a position of -1 to 11 and a kind
    of -1 to 15."""
    data = Path(path).read_bytes()

    def records_at(at):
        if at + 8 * RECORD_SIZE > len(data):
            return False
        for o in range(8):
            _, out, pos, kind = struct.unpack_from("<iiii", data, at + o * RECORD_SIZE)
            if out not in ((o, -1) if o else (0,)) or not -1 <= pos <= 11 or not -1 <= kind <= 15:
                return False
        return True

    start = data.find(struct.pack("<ii", 1, 0))
    while start >= 0 and not records_at(start):
        start = data.find(struct.pack("<ii", 1, 0), start + 1)
    if start < 0:
        raise ValueError(f"no record of output 0 in {path}")
    return [struct.unpack_from("<iiii", data, start + o * RECORD_SIZE)[1:] for o in range(8)]


def f32(path, offset):
    return struct.unpack_from("<f", Path(path).read_bytes(), offset)[0]


def make_image(path, payload_bytes, bad=False):
    """A firmware image file of n payload bytes with a sound header (or a damaged checksum)."""
    payload = bytes((i * 7 + i // 512) & 0xFF for i in range(payload_bytes))
    header = struct.pack(
        "<I13s7x5i5B3xI", 0, b"Kestrivandoul", *([-1] * 5), *([0] * 5), (sum(payload) + (1 if bad else 0)) & 0xFFFFFFFF
    )
    Path(path).write_bytes(header + payload)
