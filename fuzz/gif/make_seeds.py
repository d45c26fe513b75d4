#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/gif: small GIF87a/89a files with global and
local tables of 2 to 256 entries, interlaced and plain images placed inside the
screen, transparency, comment, application and plain-text extensions, several
frames, LZW streams with mid-stream and repeated clear codes, full tables with and
without a clear, and a file cut short. (fuzz/gif/lzw/make_seeds.py uses lzw()
for the bare code streams of the LZW target.)

    make_seeds.py OUTDIR
"""
import os
import random
import struct
import sys


def lzw(indices, min_code, clear_every=0, clear_when_full=True, end=True):
    clear = 1 << min_code
    bits = 0
    count = 0
    out = bytearray()
    size = min_code + 1
    table = {}
    nxt = clear + 2

    def put(code):
        nonlocal bits, count
        bits |= code << count
        count += size
        while count >= 8:
            out.append(bits & 255)
            bits >>= 8
            count -= 8

    def emit(code):
        nonlocal size
        put(code)
        if nxt >= (1 << size) and size < 12:
            size += 1

    def reset():
        nonlocal table, nxt, size
        table = {}
        nxt = clear + 2
        size = min_code + 1

    put(clear)
    emitted = 0
    if indices:
        cur = indices[0]
        for c in indices[1:]:
            key = (cur, c)
            if key in table:
                cur = table[key]
                continue
            emit(cur)
            emitted += 1
            if nxt < 4096:
                table[key] = nxt
                nxt += 1
            cur = c
            if (nxt == 4096 and clear_when_full) or (clear_every and emitted % clear_every == 0):
                put(clear)
                reset()
        emit(cur)
    if end:
        put(clear + 1)
    if count:
        out.append(bits & 255)
    return bytes(out)


def sub_blocks(data, size=255):
    out = bytearray()
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def table_bits(n):
    bits = 1
    while (1 << bits) < n:
        bits += 1
    return bits


def interlace(indices, w, h):
    rows = [indices[y * w:(y + 1) * w] for y in range(h)]
    out = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        for y in range(start, h, step):
            out += rows[y]
    return out


def gif(rng, sw, sh, colours, frames=1, version=b"89a", local=False, interlaced=False, transparent=None,
        extensions=(), clear_every=0, clear_when_full=True, block=255, margins=True):
    entries = 1 << table_bits(colours)
    global_table = bytes(rng.randrange(256) for _ in range(3 * entries))
    flags = 0x80 | (table_bits(colours) - 1)
    out = bytearray(b"GIF" + version + struct.pack("<HHBBB", sw, sh, flags, rng.randrange(entries), 0))
    out += global_table
    for ext in extensions:
        out += ext
    for _ in range(frames):
        w = rng.randint(1, sw) if margins else sw
        h = rng.randint(1, sh) if margins else sh
        left = rng.randint(0, sw - w)
        top = rng.randint(0, sh - h)
        if transparent is not None:
            out += bytes([0x21, 0xF9, 4, 1, 0, 0, transparent, 0])
        packed = 0x40 if interlaced else 0
        local_table = b""
        if local:
            packed |= 0x80 | (table_bits(colours) - 1)
            local_table = bytes(rng.randrange(256) for _ in range(3 * entries))
        out += b"\x2c" + struct.pack("<HHHHB", left, top, w, h, packed) + local_table
        run = rng.choice([1, 2, 5, 40])
        indices = []
        while len(indices) < w * h:
            indices += [rng.randrange(colours)] * run
        indices = indices[:w * h]
        if interlaced:
            indices = interlace(indices, w, h)
        min_code = max(2, table_bits(colours))
        out.append(min_code)
        out += sub_blocks(lzw(indices, min_code, clear_every, clear_when_full), block)
    out += b"\x3b"
    return bytes(out)


def main():
    gif_dir = sys.argv[1]
    os.makedirs(gif_dir, exist_ok=True)
    rng = random.Random(5)
    comment = b"\x21\xfe\x05hello\x00"
    app = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
    text = b"\x21\x01\x0c" + bytes(12) + b"\x03abc\x00"
    seeds = {
        "tiny.gif": gif(rng, 1, 1, 2, margins=False),
        "plain.gif": gif(rng, 17, 13, 4, margins=False, version=b"87a"),
        "margins.gif": gif(rng, 20, 20, 8),
        "interlaced.gif": gif(rng, 23, 19, 16, interlaced=True),
        "local.gif": gif(rng, 16, 16, 32, local=True),
        "transparent.gif": gif(rng, 12, 9, 4, transparent=2),
        "extensions.gif": gif(rng, 10, 10, 4, extensions=(comment, app, text)),
        "animation.gif": gif(rng, 15, 11, 8, frames=3, extensions=(app,)),
        "clears.gif": gif(rng, 30, 20, 64, clear_every=17),
        "full-table-kept.gif": gif(rng, 64, 64, 256, clear_when_full=False, margins=False),
        "full-table-cleared.gif": gif(rng, 64, 64, 256, margins=False),
        "small-blocks.gif": gif(rng, 21, 7, 4, block=7),
    }
    seeds["cut.gif"] = seeds["full-table-cleared.gif"][:len(seeds["full-table-cleared.gif"]) // 2]
    for name, data in seeds.items():
        with open(os.path.join(gif_dir, name), "wb") as f:
            f.write(data)



if __name__ == "__main__":
    main()
