#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/png: small PNGs of every colour type and bit
depth, interlaced and not, with PLTE, tRNS, bKGD, pHYs and text chunks, the image
data in one IDAT or split over several, every filter type, and a few broken ones
(bad CRCs, truncated zlib data, chunks out of order).

    make_seeds.py OUTDIR
"""
import os
import random
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
KINDS = [(0, 1), (0, 2), (0, 4), (0, 8), (0, 16), (2, 8), (2, 16), (3, 1), (3, 2), (3, 4), (3, 8),
         (4, 8), (4, 16), (6, 8), (6, 16)]


def chunk(kind, data, bad_crc=False):
    crc = zlib.crc32(kind + data) ^ (1 if bad_crc else 0)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def pack_row(samples, depth):
    if depth >= 8:
        width = depth // 8
        return b"".join(s.to_bytes(width, "big") for s in samples)
    out = bytearray((len(samples) * depth + 7) // 8)
    for i, s in enumerate(samples):
        bit = i * depth
        out[bit // 8] |= s << (8 - depth - bit % 8)
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, prev, bpp):
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pred = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - pred) & 0xFF)
    return bytes(out)


def raw_data(pixels, width, height, colour, depth, interlace, rng):
    channels = CHANNELS[colour]
    bpp = max(1, channels * depth // 8)
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    out = bytearray()
    for x0, y0, dx, dy in passes:
        xs = list(range(x0, width, dx))
        ys = list(range(y0, height, dy))
        if not xs or not ys:
            continue
        prev = bytes(len(pack_row([0] * len(xs) * channels, depth)))
        for y in ys:
            row = pack_row([s for x in xs for s in pixels[y][x]], depth)
            out += filter_row(rng.randrange(5), row, prev, bpp)
            prev = row
    return bytes(out)


def picture(rng, colour, depth, width, height, interlace, extras=True, pieces=1, level=6):
    channels = CHANNELS[colour]
    top = (1 << depth) - 1
    entries = min(top + 1, rng.randrange(1, 20)) if colour == 3 else 0
    limit = entries - 1 if colour == 3 else top
    pixels = [[[rng.randint(0, limit) for _ in range(channels)] for _ in range(width)] for _ in range(height)]
    body = chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
    if colour == 3:
        body += chunk(b"PLTE", bytes(rng.randrange(256) for _ in range(3 * entries)))
    if extras:
        if colour == 3:
            body += chunk(b"tRNS", bytes(rng.randrange(256) for _ in range(rng.randrange(entries + 1))))
            body += chunk(b"bKGD", bytes([rng.randrange(entries)]))
        elif colour in (0, 2):
            body += chunk(b"tRNS", b"".join(struct.pack(">H", rng.randint(0, top)) for _ in range(channels)))
        if colour in (0, 4):
            body += chunk(b"bKGD", struct.pack(">H", rng.randint(0, top)))
        elif colour in (2, 6):
            body += chunk(b"bKGD", struct.pack(">HHH", *(rng.randint(0, top) for _ in range(3))))
        body += chunk(b"pHYs", struct.pack(">IIB", 3780, 3780, 1))
        body += chunk(b"tEXt", b"Comment\x00seed")
    z = zlib.compress(raw_data(pixels, width, height, colour, depth, interlace, rng), level)
    cuts = sorted(rng.sample(range(1, len(z)), min(pieces - 1, len(z) - 1))) if pieces > 1 else []
    at = 0
    for cut in cuts + [len(z)]:
        body += chunk(b"IDAT", z[at:cut])
        at = cut
    return SIGNATURE + body + chunk(b"IEND", b"")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(7)
    seeds = {}
    for colour, depth in KINDS:
        for interlace in (0, 1):
            for width, height in ((1, 1), (5, 3), (17, 9)):
                name = "c%d_d%d_i%d_%dx%d.png" % (colour, depth, interlace, width, height)
                seeds[name] = picture(rng, colour, depth, width, height, interlace)
    seeds["split_idat.png"] = picture(rng, 2, 8, 12, 12, 0, pieces=6)
    seeds["plain_grey.png"] = picture(rng, 0, 8, 16, 4, 0, extras=False)
    seeds["stored_zlib.png"] = picture(rng, 6, 8, 7, 7, 1, level=0)
    good = picture(rng, 2, 8, 8, 8, 0, extras=False)
    seeds["bad_idat_crc.png"] = good[:-20] + bytes([good[-20] ^ 1]) + good[-19:]
    seeds["truncated.png"] = good[: len(good) // 2]
    seeds["no_iend.png"] = good[:-12]
    seeds["two_ihdr.png"] = good[:33] + good[8:]
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
