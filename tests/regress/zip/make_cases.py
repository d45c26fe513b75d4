#!/usr/bin/env python3
"""Writes the minimised ZIP inputs of this folder.

Each archive carries one lie the reader must see through: a deflate member cut
short before a run of zeros (the missing tail is zeros, so a CRC over a zeroed
block would still match), an entry count whose headers cannot fit in the file,
and member data that runs past the end of the file. The replay
(tests/archive/zip_regress_test.cpp) lists every archive here and reads each
member; nothing may crash, leak or read out of bounds. Structures as in PKWARE's
APPNOTE.TXT. Run from anywhere; the outputs are committed beside this script.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def zip_archive(members, entries=None):
    """members: (name, method, crc, compressed size, uncompressed size, data).
    entries overrides the end record's entry counts."""
    local = bytearray()
    central = bytearray()
    for name, method, crc, csize, usize, data in members:
        offset = len(local)
        name = name.encode()
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0, 0x21, crc, csize, usize, len(name), 0)
        local += name + data
        central += struct.pack(
            "<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0x21, crc, csize, usize, len(name), 0, 0, 0, 0,
            0, offset
        )
        central += name
    count = len(members) if entries is None else entries
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(central), len(local), 0)
    return bytes(local + central + end)


def crc(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def deflate(data):
    d = zlib.compressobj(9, zlib.DEFLATED, -15)
    return d.compress(data) + d.flush()


def main():
    page = b"PAGE" * 8 + b"\0" * 4096
    # Raw deflate, flushed to a byte boundary after the non-zero head: cutting the
    # stream there leaves a valid prefix that inflates to the head alone.
    deflater = zlib.compressobj(9, zlib.DEFLATED, -15)
    head = deflater.compress(page[:32]) + deflater.flush(zlib.Z_FULL_FLUSH)
    whole = deflate(page)
    cases = {
        "cut-deflate-before-zeros.zip": zip_archive([("p01.bmp", 8, crc(page), len(head), len(page), head)]),
        # One member and 65,535 announced: their 46-byte headers cannot fit.
        "entry-count-cannot-fit.zip": zip_archive([("p01.bmp", 0, crc(b"PAGE"), 4, 4, b"PAGE")], 0xFFFF),
        # The compressed size claims nearly 4 GiB; the file holds a few bytes.
        "deflate-data-past-file.zip": zip_archive(
            [("p01.bmp", 8, crc(page), 0xFFFFFFF0, len(page), whole)]
        ),
        # The compressed size runs just one byte past the end of the file.
        "deflate-data-one-past-file.zip": zip_archive(
            [("p01.bmp", 8, crc(page), len(whole) + 46 + 7 + 22 + 1, len(page), whole)]
        ),
        # A stored member whose size claims more than the file holds.
        "stored-data-past-file.zip": zip_archive([("p01.bmp", 0, crc(page), 0x7FFFFFFF, 0x7FFFFFFF, page[:64])]),
    }
    for name, data in cases.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
