#!/usr/bin/env python3
"""Checks the key table of a settings file the program wrote: every record is a
usable accelerator (a virtual key, no unknown flag bits, a key code 1..254) and
the table is the built-in one, record for record.

    check_key_table.py SETTINGS_FILE
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "settings"))
import make_seeds  # noqa: E402  (the recipe of the built-in table)

KEY_TABLE_SLOT = 20


def records(data):
    count, _tag = struct.unpack_from("<HH", data, 0)
    if count <= KEY_TABLE_SLOT:
        raise ValueError("no key table slot: %d entries" % count)
    a, b = struct.unpack_from("<II", data, 4 + 8 * KEY_TABLE_SLOT)
    if a < 2 or b == 0 or b % 6 != 0 or a + b > len(data):
        raise ValueError("key table entry (%d, %d) in a file of %d bytes" % (a, b, len(data)))
    return [struct.unpack_from("<BBHH", data, a + i) for i in range(0, b, 6)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    try:
        table = records(data)
    except (ValueError, struct.error) as e:
        print("check_key_table: %s" % e, file=sys.stderr)
        return 1
    bad = [r for r in table if not (r[0] & 1) or r[0] & ~0x1F or not 1 <= r[2] <= 0xFE]
    built_in = [(f, 0, k, c) for f, k, c in
                struct.iter_unpack("<BxHH", make_seeds.defaults()[KEY_TABLE_SLOT])]
    if bad or table != built_in:
        print("check_key_table: stored %s, unusable %s" % (table, bad), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
