#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/settings: settings files of every shape the
reader and the writer's carry-over know (a first exit's file, every slot kind,
few and many index entries, cut-short headers and indexes, ranges past the end,
key tables of every length, lists with empty entries, unknown slots).

    make_seeds.py OUTDIR            the seed corpus
    make_seeds.py --regress OUTDIR  the edge files replayed by the unit tests
"""
import os
import struct
import sys

SLOTS = 104
TAG = 0x05BF


def text(s):
    return s.encode("utf-16-le")


def text_list(items):
    return b"".join(text(i) + b"\0\0" for i in items)


def keys(records):
    return b"".join(struct.pack("<BBHH", f, 0, k, c) for f, k, c in records)


def settings_file(entries, count=SLOTS, tag=TAG, data_first=None):
    """entries: {slot: int | bytes | (a, b)}; byte values go to the data area in
    slot order (or in data_first's order first)."""
    start = 4 + 8 * count
    index = [(0, 0)] * count
    data = b""
    order = list(data_first or []) + sorted(s for s in entries if s not in (data_first or []))
    for slot in order:
        value = entries[slot]
        if slot >= count:
            continue
        if isinstance(value, int):
            index[slot] = (1, value & 0xFFFFFFFF)
        elif isinstance(value, tuple):
            index[slot] = value
        else:
            index[slot] = (start + len(data), len(value))
            data += value
    head = struct.pack("<HH", count & 0xFFFF, tag)
    return head + b"".join(struct.pack("<II", a, b) for a, b in index) + data


def defaults():
    e = {7: 1, 8: 1, 9: 1, 10: 4, 11: 2, 12: 1, 66: 180, 67: 1, 68: 2, 69: 1, 70: 1, 72: 1, 76: 1, 77: 500}
    e.update({1: 0, 2: 1, 3: 200, 4: 100, 5: 800, 6: 600, 24: 0, 103: 0})
    for slot, cmd in zip(list(range(13, 20)) + list(range(98, 103)),
                         [5031, 5030, 5060, 5050, 0, 0, 5044, 5045, 5040, 5041, 5042, 5043]):
        e[slot] = cmd
    for i in range(10):
        e[45 + i] = 0
        e[88 + i] = 0
    e[20] = keys([(9, 0x4F, 5500), (9, 0x42, 5700), (5, 0x25, 5040), (5, 0x27, 5041), (1, 0x26, 5042),
                  (1, 0x28, 5043), (5, 0x26, 5030), (5, 0x28, 5031), (1, 0x25, 5044), (1, 0x27, 5045),
                  (1, 0x20, 5050), (1, 0x0D, 5060), (1, 0x23, 5061), (1, 0x1B, 5062)])
    e[22] = text("C:\\Users\\u\\Documents")
    e[25] = text("C:\\Users\\u\\Desktop")
    e[26] = text("C:\\Users\\u\\Documents")
    e[27] = text("C:\\Users\\u\\Pictures")
    e[65] = text_list(["C:\\Users\\u\\Pictures"])
    e[75] = b"\0"
    return e


def full():
    e = defaults()
    e[0] = text("Japanese.dll")
    e[21] = text("C:\\spi")
    e[73] = text_list(["ifjpeg.spi", "axrar.spi"])
    e[23] = text("D:\\comics\\vol1.zip")
    e[24] = 17
    for i in range(10):
        e[35 + i] = text("D:\\b%d.zip" % i)
        e[45 + i] = i
        e[78 + i] = text("E:\\b%d.cbz" % (i + 10))
        e[88 + i] = 100 + i
        e[55 + i] = text("F:\\h%d" % i)
    e[65] = text_list(["C:\\a", "", "D:\\b"])
    e[75] = b"\1\0\1"
    e[71] = 12345
    e[74] = b"\xde\xad\xbe\xef"
    return e


def seeds():
    d = defaults()
    f = full()
    out = {
        "first-exit": settings_file(d),
        "full": settings_file(f),
        "full-data-reversed": settings_file(f, data_first=sorted((s for s in f if isinstance(f[s], bytes)),
                                                                 reverse=True)),
        "few-entries": settings_file(f, count=12),
        "many-entries": settings_file({**f, 150: 3, 200: text("far")}, count=260),
        "no-entries": settings_file({}, count=0),
        "header-only": struct.pack("<HH", 104, TAG),
        "index-cut": settings_file(d)[:400],
        "other-tag": settings_file(d, tag=0x1234),
        "clamps": settings_file({2: 2, 10: 7, 11: -1, 67: 3, 7: 2, 8: 0xFFFFFFFF}),
        "ranges-past-end": settings_file({0: (836, 4000), 22: (0xFFFFFFF0, 8), 65: (900, 2), 74: (836, 0)}),
        "keys-one": settings_file({20: keys([(0x19, 0x141, 5031)])}),
        "keys-42": settings_file({20: keys([(1, 0x41 + i, 5000 + i) for i in range(42)])}),
        "keys-43": settings_file({20: keys([(1, 0x41 + i % 26, 5000 + i) for i in range(43)])}),
        "keys-partial": settings_file({20: keys([(1, 0x20, 5050)]) + b"\1\0"}),
        "keys-emptied": settings_file({20: (836, 0)}),
        "keys-mixed": settings_file({20: keys([(9, 0x4F, 5500), (1, 0x28, 7777), (0x41, 0x28, 5043),
                                               (1, 0, 5031), (1, 0x28, 5043)])}),
        "lists-odd": settings_file({65: text("a") + b"\0\0\0\0" + text("b") + b"x", 75: b"\1" * 9,
                                    73: b"\0\0"}),
        "texts-with-zeros": settings_file({0: text("En\0glish"), 23: b"\0\0abc", 35: b"\0\0", 55: text("x")}),
    }
    return out


def regress():
    """Edge files that once needed care; each must read, dump and save cleanly."""
    d = defaults()
    return {
        "index-count-past-file.ini": struct.pack("<HH", 104, TAG) + b"\1\0\0\0" * 20,
        "data-start-past-end.ini": settings_file({74: (5000, 0), 71: 9}, count=400)[:2000],
        "carry-range-in-index.ini": settings_file({74: (8, 16), 71: (836, 1)}),
        "absent-with-length.ini": settings_file({71: (0, 77), 74: (0, 1)}),
        "expand-without-list.ini": settings_file({75: b"\1\1"}),
        "all-empty-tree.ini": settings_file({65: b"\0\0\0\0", 75: b"\1\1"}),
        "first-exit.ini": settings_file(d),
        # The built-in key table with every byte changed: no record is usable.
        "key-table-scrambled.ini": settings_file({20: bytes(b ^ 0x5A for b in d[20])}),
    }


def main():
    args = sys.argv[1:]
    files = seeds()
    if args and args[0] == "--regress":
        files = regress()
        args = args[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    out = args[0]
    os.makedirs(out, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
