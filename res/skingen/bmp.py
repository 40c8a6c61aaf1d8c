"""24-bit uncompressed Windows bitmaps (BI_RGB, bottom-up), the form LoadBitmap reads everywhere."""
import struct


def encode(width, height, rgb):
    """rgb: bytes of width * height * 3 in (r, g, b) order, top row first."""
    row = (width * 3 + 3) & ~3
    pad = b"\0" * (row - width * 3)
    rows = []
    for y in range(height - 1, -1, -1):
        line = bytearray(rgb[y * width * 3:(y + 1) * width * 3])
        line[0::3], line[2::3] = line[2::3], line[0::3]  # the file stores blue, green, red
        rows.append(bytes(line) + pad)
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
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
