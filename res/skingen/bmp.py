"""Uncompressed Windows bitmaps (BI_RGB, bottom-up) of 32 bits a pixel, the fourth byte 0: the form
LoadBitmap reads everywhere. Under Wine, LoadBitmap makes a 32-bit display bitmap of a 32-bit
resource about ten times faster than of a 24-bit one (no conversion of each pixel), and the program
loads a few million pixels of skins at start-up."""
import struct


def encode(width, height, rgb):
    """rgb: bytes of width * height * 3 in (r, g, b) order, top row first."""
    rows = []
    for y in range(height - 1, -1, -1):
        line = rgb[y * width * 3:(y + 1) * width * 3]
        out = bytearray(width * 4)
        out[0::4] = line[2::3]  # the file stores blue, green, red and a zero byte
        out[1::4] = line[1::3]
        out[2::4] = line[0::3]
        rows.append(bytes(out))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def write(path, width, height, rgb):
    data = encode(width, height, rgb)
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return  # unchanged: keep the time stamp, so nothing downstream rebuilds
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def encode_ico(images):
    """An icon file of several sizes: images is a list of (size, rgb) squares, top row first.
    Each is a 32-bit image with full alpha and an empty mask."""
    count = len(images)
    header = struct.pack("<HHH", 0, 1, count)
    entries, blobs = [], []
    offset = 6 + 16 * count
    for size, rgb in images:
        pixels = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                i = (y * size + x) * 3
                pixels += bytes((rgb[i + 2], rgb[i + 1], rgb[i], 255))
        mask_row = ((size + 31) // 32) * 4
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        blob = info + bytes(pixels) + b"\0" * (mask_row * size)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return header + b"".join(entries) + b"".join(blobs)


def encode_cur(size, rgb, shape, hotspot):
    """A cursor file of one size x size image with its hot spot: a 32-bit image whose alpha is the
    shape's brightness, and an AND mask that is set where the cursor is fully transparent."""
    pixels = bytearray()
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(size):
            i = (y * size + x) * 3
            alpha = shape[i]
            pixels += bytes((rgb[i + 2], rgb[i + 1], rgb[i], alpha))
            if alpha == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    blob = info + bytes(pixels) + bytes(mask)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, hotspot[0], hotspot[1],
                        len(blob), 6 + 16)
    return header + entry + blob


def write_file(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)
