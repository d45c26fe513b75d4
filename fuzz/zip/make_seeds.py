#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/zip: small archives of every shape the reader
knows (stored, deflated, data descriptors, comments, folder entries, UTF-8 and
long names, foreign methods).

    make_seeds.py OUTDIR
"""
import io
import os
import struct
import sys
import zipfile


def archive(path, members, method=zipfile.ZIP_DEFLATED, comment=b"", stream=False):
    raw = io.BytesIO()

    class Unseekable(io.RawIOBase):
        def writable(self):
            return True

        def write(self, b):
            return raw.write(b)

    target = Unseekable() if stream else raw
    with zipfile.ZipFile(target, "w", method) as z:
        z.comment = comment
        for name, data in members:
            if stream:
                with z.open(name, "w") as m:
                    m.write(data)
            else:
                z.writestr(name, data)
    with open(path, "wb") as f:
        f.write(raw.getvalue())
    return raw.getvalue()


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    pages = [("p%02d.jpg" % i, bytes([0xFF, 0xD8]) + bytes((i * j) & 0xFF for j in range(300))) for i in range(3)]
    archive(os.path.join(out, "deflated.zip"), pages)
    archive(os.path.join(out, "stored.zip"), pages, zipfile.ZIP_STORED)
    archive(os.path.join(out, "descriptors.zip"), pages, stream=True)
    archive(os.path.join(out, "comment.zip"), pages[:1], comment=b"PK\x05\x06 comment " * 4)
    archive(os.path.join(out, "long_comment.zip"), pages[:1], comment=bytes(range(256)) * 255 + b"PK\x05")
    archive(os.path.join(out, "folders.zip"), [("dir/", b""), ("dir/sub/", b""), ("dir/sub/a.png", b"\x89PNG" * 20)])
    archive(os.path.join(out, "names.zip"), [("\u65e5\u672c/\u00e9.gif", b"GIF89a"), ("n" * 300, b"long")])
    archive(os.path.join(out, "empty_member.zip"), [("empty.bmp", b"")], zipfile.ZIP_STORED)
    # A bzip2 member next to a stored one (method field patched; the reader skips it).
    data = bytearray(archive(os.path.join(out, "tmp.zip"), [("a.txt", b"aaaa"), ("b.txt", b"bbbb")], zipfile.ZIP_STORED))
    os.remove(os.path.join(out, "tmp.zip"))
    first_central = data.find(b"PK\x01\x02")
    struct.pack_into("<H", data, 8, 12)
    struct.pack_into("<H", data, first_central + 10, 12)
    with open(os.path.join(out, "bzip2_member.zip"), "wb") as f:
        f.write(bytes(data))


if __name__ == "__main__":
    main()
