#!/usr/bin/env python3
"""Writes the minimised PNG inputs of this folder.

Each file's image data ends before the picture is complete, in the middle of a
row: the zlib stream itself ends early, or the IDAT run is cut while the stream
is still open. The replay (tests/decode/regress_test.cpp) decodes every file
here through both memory entry points; each must decode or fail cleanly, with
nothing read or written past a row. Run from anywhere; the outputs are
committed beside this script.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, depth, colour_type, idat, interlace=0, extra=b""):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    return (
        b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + b"".join(chunk(b"IDAT", d) for d in idat)
        + chunk(b"IEND", b"")
    )


def rows(count, row_bytes, seed=1):
    """count raw rows of row_bytes with filter bytes cycling through all five filters."""
    out = bytearray()
    for r in range(count):
        out.append(r % 5)
        out.extend((seed * 37 + r * 11 + x * 5) & 0xFF for x in range(row_bytes))
    return bytes(out)


def adam7_rows(width, height, row_bytes_of):
    """The raw rows of an interlaced picture, pass by pass, and the byte count of
    each pass; row_bytes_of(pixels) gives a pass row's packed bytes."""
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    out = bytearray()
    sizes = []
    for x0, y0, dx, dy in passes:
        w = (width - x0 + dx - 1) // dx if width > x0 else 0
        h = (height - y0 + dy - 1) // dy if height > y0 else 0
        start = len(out)
        if w > 0:
            out.extend(rows(h, row_bytes_of(w), seed=len(sizes)))
        sizes.append(len(out) - start)
    return bytes(out), sizes


def main():
    # 8x3 RGB: raw rows of 1 + 24 bytes.
    rgb = rows(3, 24)
    # A 2-bit palette picture, 10 pixels wide: raw rows of 1 + 3 bytes.
    plte = chunk(b"PLTE", bytes([0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255]))
    paletted = rows(4, 3)
    # 9x9 interlaced 8-bit grey.
    interlaced, pass_sizes = adam7_rows(9, 9, lambda pixels: pixels)
    stored = zlib.compress(rgb, 0)  # stored blocks: compressed offsets map to raw ones
    cases = {
        # A complete zlib stream holding one row and half of the next.
        "stream-ends-mid-row.png": png(8, 3, 8, 2, [zlib.compress(rgb[:25 + 12], 9)]),
        # The same for rows of packed 2-bit pixels (the filter runs per byte).
        "stream-ends-mid-packed-row.png": png(10, 4, 2, 3, [zlib.compress(paletted[:4 + 2], 9)], extra=plte),
        # An interlaced picture whose stream ends inside the third pass.
        "stream-ends-mid-pass.png": png(9, 9, 8, 0, [zlib.compress(interlaced[:sum(pass_sizes[:2]) + 2], 9)], 1),
        # The stream is still open when the IDAT run ends, in the middle of row 2.
        "idat-cut-mid-row.png": png(8, 3, 8, 2, [stored[:2 + 5 + 25 + 10]]),
        # The same cut split over two IDAT chunks, the second one empty.
        "idat-cut-mid-row-split.png": png(8, 3, 8, 2, [stored[:20], stored[20:2 + 5 + 25 + 10], b""]),
        # An empty but complete zlib stream: not a single row.
        "stream-ends-before-first-row.png": png(8, 3, 8, 2, [zlib.compress(b"", 9)]),
    }
    for name, data in cases.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
