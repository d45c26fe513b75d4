#!/usr/bin/env python3
"""Writes a RAR 4 (1.5-4.x format) archive of stored members.

The rar tool of this system no longer writes the old format, and the library
still reads it, so the tests build one byte by byte: the marker block, the
main header, one file header (method 0x30, stored) plus data per member, and
the end block.  make_rar4.py OUT.rar BASEDIR FILE...
"""
import os
import struct
import sys
import zlib


def block(kind, flags, body, add=b""):
    size = 7 + len(body)
    head = struct.pack("<BHH", kind, flags, size) + body
    crc = zlib.crc32(head) & 0xFFFF
    return struct.pack("<H", crc) + head + add


def main():
    out, base, names = sys.argv[1], sys.argv[2], sys.argv[3:]
    parts = [b"Rar!\x1a\x07\x00", block(0x73, 0, struct.pack("<HI", 0, 0))]
    for name in names:
        with open(os.path.join(base, name), "rb") as f:
            data = f.read()
        stored = name.replace("/", "\\").encode("ascii")
        dos_time = (44 << 25) | (1 << 21) | (1 << 16)  # 2024-01-01 00:00
        body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), dos_time,
                           20, 0x30, len(stored), 0x20) + stored
        parts.append(block(0x74, 0x8000, body, data))
    parts.append(block(0x7B, 0x4000, b""))
    with open(out, "wb") as f:
        f.write(b"".join(parts))


main()
