#!/usr/bin/env python3
"""Writes the seed corpus of the LZW target: bare GIF code streams for code sizes
2 to 8, with runs, mid-stream clear codes and full tables with and without a
clear, each behind the target's 3-byte prefix (code size - 2, output size).

    make_seeds.py OUTDIR
"""
import os
import random
import sys

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from make_seeds import lzw  # noqa: E402


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    rng = random.Random(11)
    cases = [(2, 4, 1, 0, True), (2, 2, 30, 0, True), (3, 8, 2, 9, True), (4, 16, 3, 0, True),
             (8, 256, 1, 0, True), (8, 256, 1, 0, False), (5, 32, 4, 3, True), (8, 7, 50, 0, True)]
    for i, (min_code, colours, run, clear_every, full) in enumerate(cases):
        n = rng.choice([64, 500, 3000, 9000])
        indices = []
        while len(indices) < n:
            indices += [rng.randrange(colours)] * rng.randint(1, run)
        indices = indices[:n]
        out_size = min(n, 65535)
        prefix = bytes([min_code - 2, out_size & 255, out_size >> 8])
        with open(os.path.join(outdir, "stream%d" % i), "wb") as f:
            f.write(prefix + lzw(indices, min_code, clear_every, full))


if __name__ == "__main__":
    main()
