#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/jpeg: small JPEGs made by ImageMagick's convert
(grey and colour, baseline and progressive, several sampling factors and
qualities, CMYK stored as YCCK, with and without JFIF density), then copies with
EXIF APP1 segments spliced in after the start of image (both byte orders,
orientation at several entry positions, odd directory offsets, cut-short
structures), and a few pictures cut short.

    make_seeds.py OUTDIR
"""
import os
import struct
import subprocess
import sys
import tempfile


def convert(args):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "seed.jpg")
        subprocess.run(["convert", *args, path], check=True)
        with open(path, "rb") as f:
            return f.read()


def tiff(big, entries, directory=8, count=None):
    order = ">" if big else "<"
    head = (b"MM" if big else b"II") + struct.pack(order + "HI", 42, directory)
    head += bytes(max(0, directory - len(head)))
    body = struct.pack(order + "H", len(entries) if count is None else count)
    for tag, typ, n, value in entries:
        if typ == 3:
            body += struct.pack(order + "HHIHH", tag, typ, n, value, 0)
        else:
            body += struct.pack(order + "HHII", tag, typ, n, value)
    return head + body + struct.pack(order + "I", 0)


def app1(payload):
    data = b"Exif\0\0" + payload
    return b"\xff\xe1" + struct.pack(">H", len(data) + 2) + data


def splice(jpeg, segment):
    return jpeg[:2] + segment + jpeg[2:]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sources = {
        "grad": ["-size", "24x16", "gradient:red-blue"],
        "rose": ["rose:", "-resize", "40x26!"],
        "plasma": ["-size", "33x21", "-seed", "3", "plasma:fractal"],
        "checks": ["-size", "16x16", "pattern:checkerboard"],
    }
    variants = {
        "q90": ["-quality", "90"],
        "q20": ["-quality", "20"],
        "444": ["-quality", "85", "-sampling-factor", "1x1"],
        "422": ["-quality", "85", "-sampling-factor", "2x1"],
        "411": ["-quality", "85", "-sampling-factor", "4x1"],
        "prog": ["-quality", "80", "-interlace", "Plane"],
        "grey": ["-colorspace", "Gray", "-quality", "85"],
        "greyprog": ["-colorspace", "Gray", "-quality", "85", "-interlace", "Plane"],
        "cmyk": ["-colorspace", "CMYK", "-quality", "90"],
        "dpi": ["-density", "300", "-units", "PixelsPerInch", "-quality", "75"],
        "dpcm": ["-density", "118", "-units", "PixelsPerCentimeter", "-quality", "75"],
        "optimized": ["-quality", "70", "-define", "jpeg:optimize-coding=true"],
    }
    pictures = {}
    for sname, sargs in sources.items():
        for vname, vargs in variants.items():
            pictures[sname + "_" + vname] = convert([*sargs, *vargs, "-strip"] if vname not in ("dpi", "dpcm")
                                                    else [*sargs, *vargs])
    base = pictures["grad_q90"]
    orient = lambda v: (0x0112, 3, 1, v)
    others = [(0x010F, 2, 6, 0x40), (0x0110, 2, 8, 0x48), (0x011A, 5, 1, 0x50), (0x0128, 3, 1, 2)]
    exif = {
        "exif_le6": tiff(False, [orient(6)]),
        "exif_be8": tiff(True, [orient(8)]),
        "exif_be3_last": tiff(True, others + [orient(3)]),
        "exif_le6_middle": tiff(False, others[:2] + [orient(6)] + others[2:]),
        "exif_mirrored": tiff(True, [orient(5)]),
        "exif_gap": tiff(False, others + [orient(8)], directory=40),
        "exif_count_high": tiff(True, [orient(6)], count=0xFFFF),
        "exif_offset_far": tiff(False, [orient(6)])[:4] + struct.pack("<I", 0xFFFFFFF0) + tiff(False, [orient(6)])[8:],
        "exif_cut": tiff(True, others + [orient(6)])[:30],
    }
    for name, payload in exif.items():
        pictures[name] = splice(base, app1(payload))
    pictures["exif_twice"] = splice(splice(base, app1(exif["exif_le6"])), app1(exif["exif_be3_last"]))
    for name in ("rose_q90", "plasma_prog"):
        data = pictures[name]
        for fraction in (3, 2):
            pictures["%s_cut%d" % (name, fraction)] = data[:len(data) * (fraction - 1) // fraction]
    for name, data in pictures.items():
        with open(os.path.join(out, name + ".jpg"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
