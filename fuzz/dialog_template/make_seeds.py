#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/dialog_template: extended dialog templates of
the shapes the language libraries hold (set-font style, string and ordinal
classes and titles, creation data) and a few damaged ones.

    make_seeds.py OUTDIR
"""
import os
import struct
import sys


def sz(s):
    return s.encode("utf-16-le") + b"\0\0"


def ordinal(n):
    return struct.pack("<HH", 0xFFFF, n)


def item(cls, title, ident=1000, extra=b""):
    return (struct.pack("<IIIhhhhI", 0, 0, 0x50000000, 4, 4, 50, 14, ident) + cls + title +
            struct.pack("<H", len(extra)) + extra)


def template(items, style=0x80C800C0, menu=b"\0\0", cls=b"\0\0", title=sz("Dialog"),
             font=True):
    out = struct.pack("<HHIIIHhhhh", 1, 0xFFFF, 0, 0, style if font else style & ~0x40,
                      len(items), 0, 0, 200, 100)
    out += menu + cls + title
    if font:
        out += struct.pack("<HHBB", 8, 400, 0, 1) + sz("MS Shell Dlg")
    for i in items:
        out += b"\0" * ((4 - len(out) % 4) % 4)
        out += i
    return out


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    seeds = {
        "empty": template([]),
        "buttons": template([item(ordinal(0x80), sz("OK"), 1), item(ordinal(0x80), sz("Cancel"), 2)]),
        "list_view": template([item(sz("SysListView32"), sz(""), 2020), item(ordinal(0x83), sz(""), 2021)]),
        "ordinal_title": template([item(ordinal(0x82), ordinal(100), 3)]),
        "creation_data": template([item(ordinal(0x81), sz("x"), 4, b"\x02\x00")]),
        "menu_class": template([], menu=ordinal(5), cls=sz("Pagewick_dlg"), title=ordinal(7)),
        "no_font": template([item(ordinal(0x80), sz("OK"), 1)], font=False),
    }
    seeds["cut_short"] = seeds["buttons"][:-7]
    seeds["old_form"] = struct.pack("<IIHhhhh", 0x80C800C0, 0, 0, 0, 0, 10, 10) + b"\0" * 6
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
