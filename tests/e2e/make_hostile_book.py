#!/usr/bin/env python3
"""Writes a book of hostile pages between good ones into OUTDIR/book (and the
same as OUTDIR/book.cbz, stored): every page is landscape or square, so each
view shows one page alone, centred. Prints one line per page: its file name and
what the view must show, "#rrggbb" (the page's colour) or "error".

    make_hostile_book.py OUTDIR

Good pages are 400 x 300 solid colours. The hostile ones:
  a 35-byte GIF whose screen is 65535 x 65535 (4 GiB of pixels, refused);
  a JPEG header of 30000 x 30000 with no data (refused);
  a valid 16000 x 16000 24-bit PNG (768 MB, shown);
  a 26000 x 27000 24-bit PNG cut after 4 rows (1.96 GiB: held alone within
  the 2 GiB budget, shown with its missing rows black);
  a valid 33000 x 8000 8-bit grey PNG (264 MB, wider than the platform's stretch).
"""
import os
import struct
import sys
import zipfile
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, depth, colour_type, row, rows=None):
    """A PNG whose every row is `row` (filter byte included); rows: how many to
    store (all by default; fewer makes a file cut short)."""
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))
    z = zlib.compressobj(6)
    data = bytearray()
    for _ in range(height if rows is None else rows):
        data += z.compress(row)
    data += z.flush()
    return out + chunk(b"IDAT", bytes(data)) + chunk(b"IEND", b"")


def solid_rgb_png(width, height, rgb):
    return png(width, height, 8, 2, b"\0" + bytes(rgb) * width)


def colour(n):
    return (n * 8 % 256, (255 - n * 8) % 256, n * 37 % 256)


def main():
    out = sys.argv[1]
    book = os.path.join(out, "book")
    os.makedirs(book, exist_ok=True)
    pages = []

    def good(n):
        pages.append((f"p{n:02d}.png", solid_rgb_png(400, 300, colour(n)), "#%02x%02x%02x" % colour(n)))

    good(1)
    gif = b"GIF89a" + struct.pack("<HH", 65535, 65535) + b"\x80\0\0" + b"\0\0\0\xff\xff\xff"
    gif += b",\0\0\0\0" + struct.pack("<HH", 65535, 65535) + b"\0\x02\x02\x44\x01\0;"
    pages.append(("p02.gif", gif, "error"))
    good(3)
    sof = b"\xff\xc0" + struct.pack(">HBHHB", 17, 8, 30000, 30000, 3) + b"\x01\x22\x00\x02\x11\x01\x03\x11\x01"
    pages.append(("p04.jpg", b"\xff\xd8" + sof + b"\xff\xd9", "error"))
    good(5)
    pages.append(("p06.png", solid_rgb_png(16000, 16000, colour(6)), "#%02x%02x%02x" % colour(6)))
    good(7)
    pages.append(("p08.png", png(26000, 27000, 8, 2, b"\0" + b"\x40" * 78000, rows=4), "#000000"))
    good(9)
    pages.append(("p10.png", png(33000, 8000, 8, 0, b"\0" + b"\x50" * 33000), "#505050"))
    good(11)
    good(12)

    for name, data, _ in pages:
        with open(os.path.join(book, name), "wb") as f:
            f.write(data)
    with zipfile.ZipFile(os.path.join(out, "book.cbz"), "w", zipfile.ZIP_STORED) as z:
        for name, data, _ in pages:
            z.writestr(name, data)
    for name, _, want in pages:
        print(name, want)


if __name__ == "__main__":
    main()
