#!/usr/bin/env python3
"""Writes the damaged-file seeds of the setup, preset and firmware fuzz targets into corpus/<target>/,
from the reference files in tests/model/data and a few firmware images (the sound files come from
fuzz_make_seeds). Run again after the reference files change."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(here, "..", "tests", "model", "data")
out = os.path.join(here, "corpus")

bit = open(os.path.join(data, "reference.bit"), "rb").read()
pro = open(os.path.join(data, "reference.pro"), "rb").read()


def put(name, content):
    # "setup_x" goes to corpus/setup/x. A preset seed starts with the byte that picks the slot the
    # file is opened for (0: all presets).
    target, _, rest = name.partition("_")
    os.makedirs(os.path.join(out, target), exist_ok=True)
    if target == "preset":
        content = b"\0" + content
    with open(os.path.join(out, target, rest), "wb") as f:
        f.write(content)


def patch(b, offset, fmt, value):
    b = bytearray(b)
    struct.pack_into(fmt, b, offset, value)
    return bytes(b)


def record(section_start, block, output, field):
    return section_start + 12 + 40580 * block + 4 + 5072 * output + field


# The reference files as they are: their dynamic-equalisation bytes hold a reference volume of
# about -1.2e33 dB, which once reached an undefined conversion to int.
put("setup_reference", bit)
put("preset_reference", pro)

# Setup files.
put("setup_header_only", bit[:12])
put("setup_cut_in_record", bit[:1000])
put("setup_nan_gain", patch(bit, record(0, 1, 3, 92 + 8), "<f", float("nan")))
put("setup_listening_point_5", patch(bit, 162332 + 4, "<I", 5))

# Preset files.
put("preset_header_only", pro[:28])
put("preset_cut", pro[:5000])
put("preset_wrong_magic", b"Preset\0\0" + pro[8:])
put("preset_version_2", patch(pro, 8, "<I", 2))
put("preset_slot_a", pro[:12] + struct.pack("<4I", 1, 0, 0, 0) + pro[28:])
put("preset_claims_all", pro[:12] + struct.pack("<4I", 1, 1, 1, 1) + pro[28:])
put("preset_kind_12", patch(pro, record(28, 0, 2, 12), "<i", 12))


# Firmware images.
def firmware(payload, probes=(), checksum_delta=0, signature=b"Kestrivandoul"):
    header = bytearray(56)
    header[4:17] = signature
    probes = list(probes) + [(-1, 0)] * (5 - len(probes))
    for i, (offset, byte) in enumerate(probes):
        struct.pack_into("<i", header, 24 + 4 * i, offset)
        header[44 + i] = byte
    struct.pack_into("<I", header, 52, (sum(payload) + checksum_delta) % 2**32)
    return bytes(header) + payload


payload = bytes((0x80 + i * 31) % 256 for i in range(300))
put("firmware_empty", firmware(b""))
put("firmware_probes", firmware(payload, [(0, payload[0]), (299, payload[299]), (300, 7)]))
put("firmware_bad_checksum", firmware(payload, checksum_delta=1))
put("firmware_bad_signature", firmware(payload, signature=b"Kestrivandoux"))
put("firmware_short", firmware(b"")[:40])
