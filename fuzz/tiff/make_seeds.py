#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/tiff: small uncompressed TIFFs in both byte
orders: bilevel, 4- and 8-bit grey (both photometrics) and palette, 8- and 16-bit
RGB; strip tables of SHORTs and LONGs, in the entry and behind an offset, strips
stored out of order, resolutions in inches and centimetres, two pages, grey with
alpha, a compressed file and a planar RGB file (both refused), and a few cut short.

    make_seeds.py OUTDIR
"""
import os
import random
import struct
import sys

SHORT, LONG, RATIONAL = 3, 4, 5


def tiff(rng, be, width, length, photometric, bits, samples=1, rows_per_strip=0, short_strips=False,
         reverse=False, resolution=None, colormap=False, compression=1, planar=1, extra_samples=0,
         second_page=False):
    o = ">" if be else "<"
    row = (width * bits * samples + 7) // 8
    data = bytes(rng.randrange(256) for _ in range(row * length))
    rps = rows_per_strip or length
    strips = [data[i:i + row * rps] for i in range(0, len(data), row * rps)] or [b""]
    out = bytearray((b"MM" if be else b"II") + struct.pack(o + "HI", 42, 0))
    offsets = [0] * len(strips)
    order = range(len(strips) - 1, -1, -1) if reverse else range(len(strips))
    for i in order:
        offsets[i] = len(out)
        out += strips[i]
    entries = []

    def add(tag, typ, values):
        entries.append((tag, typ, values))

    add(256, LONG, [width])
    add(257, LONG, [length])
    add(258, SHORT, [bits] * samples)
    add(259, SHORT, [compression])
    add(262, SHORT, [photometric])
    typ = SHORT if short_strips else LONG
    add(273, typ, offsets)
    add(277, SHORT, [samples])
    add(278, LONG, [rps])
    add(279, typ, [len(s) for s in strips])
    if planar != 1:
        add(284, SHORT, [planar])
    if extra_samples:
        add(338, SHORT, [2] * extra_samples)
    if resolution:
        num, den, unit = resolution
        add(282, RATIONAL, [num, den])
        add(283, RATIONAL, [num, den])
        add(296, SHORT, [unit])
    if colormap:
        add(320, SHORT, [rng.randrange(65536) for _ in range(3 << bits)])

    def directory(entries, next_offset_fix):
        nonlocal out
        blobs = []
        for tag, typ, values in entries:
            fmt = {SHORT: "H", LONG: "I", RATIONAL: "I"}[typ]
            blob = struct.pack(o + fmt * len(values), *values)
            count = len(values) // 2 if typ == RATIONAL else len(values)
            if len(blob) > 4:
                if len(out) % 2:
                    out.append(0)
                at = len(out)
                out += blob
                blob = struct.pack(o + "I", at)
            blobs.append((tag, typ, count, blob.ljust(4, b"\0")))
        if len(out) % 2:
            out.append(0)
        ifd = len(out)
        out += struct.pack(o + "H", len(blobs))
        for tag, typ, count, blob in sorted(blobs):
            out += struct.pack(o + "HHI", tag, typ, count) + blob
        out += struct.pack(o + "I", 0)
        return ifd

    ifd = directory(entries, None)
    out[4:8] = struct.pack(o + "I", ifd)
    if second_page:
        at = len(out)
        out += bytes(row * length)
        page = [e for e in entries if e[0] not in (273, 279)] + [(273, LONG, [at]), (279, LONG, [row * length])]
        second = directory(page, None)
        out[ifd + 2 + 12 * len(entries):ifd + 6 + 12 * len(entries)] = struct.pack(o + "I", second)
    return bytes(out)


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    rng = random.Random(7)
    seeds = {}
    for be in (False, True):
        e = "mm" if be else "ii"
        seeds["bilevel-white-%s.tif" % e] = tiff(rng, be, 13, 9, 0, 1)
        seeds["bilevel-black-%s.tif" % e] = tiff(rng, be, 8, 4, 1, 1, rows_per_strip=1, short_strips=True)
        seeds["grey4-%s.tif" % e] = tiff(rng, be, 7, 6, 1, 4, rows_per_strip=2)
        seeds["grey8-%s.tif" % e] = tiff(rng, be, 11, 10, 1, 8, rows_per_strip=3, reverse=True,
                                         resolution=(300, 1, 2))
        seeds["palette4-%s.tif" % e] = tiff(rng, be, 9, 5, 3, 4, colormap=True)
        seeds["palette8-%s.tif" % e] = tiff(rng, be, 6, 6, 3, 8, colormap=True, rows_per_strip=4,
                                            short_strips=True)
        seeds["rgb8-%s.tif" % e] = tiff(rng, be, 5, 7, 2, 8, samples=3, rows_per_strip=2,
                                        resolution=(1181, 10, 3))
        seeds["rgb16-%s.tif" % e] = tiff(rng, be, 4, 3, 2, 16, samples=3)
        seeds["two-pages-%s.tif" % e] = tiff(rng, be, 6, 4, 1, 8, second_page=True)
    seeds["grey-alpha.tif"] = tiff(rng, False, 4, 4, 1, 8, samples=2, extra_samples=1)
    seeds["packbits.tif"] = tiff(rng, False, 8, 8, 1, 8, compression=32773)
    seeds["planar.tif"] = tiff(rng, True, 4, 4, 2, 8, samples=3, planar=2)
    seeds["cut.tif"] = seeds["rgb8-ii.tif"][:60]
    for name, data in seeds.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
