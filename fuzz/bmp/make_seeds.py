#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/bmp: small BMPs of 1, 4, 8, 16, 24 and 32 bits,
with 40-, 108- and 124-byte information headers, default and bit-field masks,
short colour tables, gaps before the pixels, and a few cut short.

    make_seeds.py OUTDIR
"""
import os
import random
import struct
import sys


def bmp(rng, bits, width, height, info_size=40, compression=0, colours=0, masks=None, gap=0):
    entries = colours if colours else (1 << bits if bits <= 8 else 0)
    table = bytes(rng.randrange(256) for _ in range(4 * entries))
    mask_bytes = struct.pack("<III", *masks) if masks else b""
    row = ((width * bits + 31) // 32) * 4
    pixels = bytes(rng.randrange(256) for _ in range(row * height))
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, len(pixels),
                       2835, 2835, colours, 0)
    if info_size > 40:
        info += mask_bytes + bytes(info_size - 40 - len(mask_bytes))
        mask_bytes = b""
    offset = 14 + len(info) + len(mask_bytes) + len(table) + gap
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + mask_bytes + table + bytes(gap) + pixels


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(11)
    seeds = {}
    for bits in (1, 4, 8, 24, 16, 32):
        for info_size in (40, 108, 124):
            for width, height in ((1, 1), (7, 3), (33, 5)):
                name = "b%d_h%d_%dx%d.bmp" % (bits, info_size, width, height)
                seeds[name] = bmp(rng, bits, width, height, info_size)
    seeds["b16_565.bmp"] = bmp(rng, 16, 9, 4, 40, 3, masks=(0xF800, 0x07E0, 0x001F))
    seeds["b16_565_v5.bmp"] = bmp(rng, 16, 9, 4, 124, 3, masks=(0xF800, 0x07E0, 0x001F))
    seeds["b32_masks.bmp"] = bmp(rng, 32, 5, 5, 40, 3, masks=(0xFF000000, 0x00FF0000, 0x0000FF00))
    seeds["b8_colours12.bmp"] = bmp(rng, 8, 6, 6, 40, 0, colours=12)
    seeds["b4_colours3.bmp"] = bmp(rng, 4, 6, 6, 40, 0, colours=3)
    seeds["b8_gap.bmp"] = bmp(rng, 8, 6, 6, 40, 0, gap=16)
    seeds["b24_cut.bmp"] = bmp(rng, 24, 20, 20)[:700]
    seeds["b1_cut.bmp"] = bmp(rng, 1, 40, 40, gap=32)[:150]
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
