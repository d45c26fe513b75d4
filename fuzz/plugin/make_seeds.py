"""Seeds for plugin_fuzzer: plug-in pictures (1, 4, 8, 24 bits, a V5 header) and
archive-information blocks. Usage: python3 make_seeds.py OUTDIR"""
import os
import struct
import sys


def info(width, height, bits, header=40, palette=b""):
    h = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, 0, 0, 0, 0, 0, 0)
    return h + b"\0" * (header - 40) + palette


def picture(width, height, bits, header=40, colours=0):
    block = info(width, height, bits, header, b"\x10\x20\x30\0" * colours)
    stride = ((width * bits + 31) // 32) * 4
    rows = bytes((i * 7) & 0xFF for i in range(stride * height))
    return b"\0" + struct.pack("<H", len(block)) + block + rows


def record(path, name, position, size, time):
    r = b"fake\0\0\0\0" + struct.pack("<QQQq", position, size, size, time)
    return r + path.ljust(200, b"\0") + name.ljust(200, b"\0") + b"\0" * 4


seeds = {
    "p1": picture(9, 3, 1, colours=2),
    "p4": picture(5, 2, 4, colours=16),
    "p8": picture(6, 4, 8, colours=256),
    "p24": picture(3, 3, 24),
    "v5": picture(4, 2, 8, header=124, colours=4),
    "a": b"\1" + record(b"sub\\", b"a.png", 512, 100, 1) + record(b"", b"b.png", 1024, 7, -1) + b"\0" * 444,
    "m": b"\2" + b"member bytes",
}
out = sys.argv[1]
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
