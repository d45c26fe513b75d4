#!/usr/bin/env python3
"""Seeds for the book fuzzers: "$I" files of both versions, an INFO2 run, and
name pairs for the natural order. Usage: make_seeds.py OUTDIR"""
import os
import struct
import sys


def wide(text):
    return text.encode("utf-16-le")


def main(out):
    os.makedirs(out, exist_ok=True)
    path = "C:\\Comics\\vol1\\p001.jpg"
    v1 = struct.pack("<QQQ", 1, 4096, 132000000000000000) + wide(path).ljust(520, b"\0")
    v2 = struct.pack("<QQQI", 2, 4096, 132000000000000000, len(path) + 1) + wide(path) + b"\0\0"
    record = bytearray(800)
    record[0:len(path)] = path.encode("ascii")
    record[260:276] = struct.pack("<IIQ", 7, 2, 132000000000000000)
    record[280:280 + 2 * len(path)] = wide(path)
    seeds = {
        "info_v1": v1,
        "info_v2": v2,
        "info2_records": bytes(record) * 2,
        "names_numbers": wide("p2.jpg") + b"\0\0" + wide("p10.jpg") + b"\0\0" + wide("P1.JPG"),
        "names_zeros": wide("a01b") + b"\0\0" + wide("a1c") + b"\0\0" + wide("a001"),
        "names_letters": wide("\u00e9t\u00e9 2") + b"\0\0" + wide("Ete10") + b"\0\0" + wide("\u0451\u0430"),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
