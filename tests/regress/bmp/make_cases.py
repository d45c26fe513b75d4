#!/usr/bin/env python3
"""Writes the minimised BMP inputs of this folder.

Each file is a header or a colour table that once led the decoder astray; the
replay (tests/decode/regress_test.cpp) decodes every file here through both
memory entry points, and each must decode or fail cleanly with nothing read
out of bounds. Every file ends right after its last pixel row (or earlier), so
a table or row read from the wrong place runs off the end of the input. Run
from anywhere; the outputs are committed beside this script.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(info_size, width, height, bits, clr_used, table, rows, pixel_offset=None, file_size=None):
    """A BMP with an information header of info_size bytes (the 40-byte common
    part, then zeros), the colour table right after it and the rows after that."""
    table_offset = 14 + max(info_size, 40)
    if pixel_offset is None:
        pixel_offset = table_offset + len(table)
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, 0, 0, 2835, 2835, clr_used, 0)
    info += b"\0" * (max(info_size, 40) - 40)
    body = info + table + rows
    if file_size is None:
        file_size = 14 + len(body)
    return b"BM" + struct.pack("<IHHI", file_size, 0, 0, pixel_offset) + body


def with_info_size(data, info_size):
    """The same file with another information-header size field."""
    return data[:14] + struct.pack("<I", info_size) + data[18:]


def colours(*bgr):
    return b"".join(bytes([b, g, r, 0]) for b, g, r in bgr)


def main():
    cases = {
        # The V4 header is 108 bytes: the 2-entry table of this 8-bit picture is at
        # 122, not at 54, and the file holds those 2 entries only.
        "table-after-108-byte-header.bmp": bmp(
            108, 2, 2, 8, 2, colours((255, 0, 0), (0, 0, 255)), bytes([0, 1, 0, 0, 1, 0, 0, 0])
        ),
        # The V5 header is 124 bytes: a 4-bit picture's 3-entry table at 138.
        "table-after-124-byte-header.bmp": bmp(
            124, 3, 2, 4, 3, colours((0, 0, 0), (0, 255, 0), (255, 255, 255)), bytes([0x01, 0x20, 0, 0]) * 2
        ),
        # A 124-byte header in a file that ends inside it: the table lies past the end.
        "table-after-124-byte-header-past-end.bmp": bmp(124, 1, 1, 8, 0, b"", b"")[:60],
        # 0x40000001 colours: times 4 is 4 in 32-bit arithmetic, so a 4-byte table
        # seems to fit; the real count cannot.
        "colour-count-times-4-overflows.bmp": bmp(40, 1, 1, 8, 0x40000001, colours((1, 2, 3)), b"\0\0\0\0"),
        # 0x40000000 colours: times 4 wraps to 0, which reads as "the default table".
        "colour-count-times-4-wraps-to-zero.bmp": bmp(40, 8, 1, 1, 0x40000000, b"", b"\xff\0\0\0"),
        # A header size near 4 GiB: 14 plus it wraps to a small table offset in
        # 32-bit arithmetic.
        "header-size-wraps-table-offset.bmp": with_info_size(
            bmp(40, 1, 1, 8, 1, colours((9, 9, 9)), b"\0\0\0\0"), 0xFFFFFFF8
        ),
    }
    for name, data in cases.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
