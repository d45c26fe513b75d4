#!/usr/bin/env python3
"""Helpers of copies.sh, on captures read through ImageMagick.

  copies_check.py pages DIR N WIDTH HEIGHT
      writes pNN.bmp (24-bit) whose pixels all have red below green, so that no
      pixel of a page, nor any average of them, is grey like the background;
  copies_check.py rects SHOT X Y W H
      finds the spread in the window at X,Y (W x H): prints the left and right
      pages' rectangles (x y width height, relative to the capture) and the
      view's left and right edges, or fails;
  copies_check.py compare SHOT X Y COPY.bmp
      whether the capture at X,Y holds the copy pixel for pixel.
"""
import struct
import subprocess
import sys


def write_page(path, width, height, seed):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = bytearray(stride)
        for x in range(width):
            red = 30 + (x * 7 + y * 3 + seed * 11) % 80
            green = 130 + ((x ^ y) + seed * 17) % 100
            blue = (x * y // 7 + seed * 29) % 256
            row[x * 3:x * 3 + 3] = bytes((blue, green, red))
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or height <= 0:
        sys.exit(f"{path}: not a bottom-up 24-bit picture")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        row = data[start:start + width * 3]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        rows.append(bytes(rgb))
    return width, height, rows


def read_shot(shot, x, y, w, h):
    command = ["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "ppm:-"]
    ppm = subprocess.run(command, capture_output=True, check=True).stdout
    magic, cw, ch, _, pixels = ppm.split(maxsplit=4)
    cw, ch = int(cw), int(ch)
    return cw, ch, [pixels[r * cw * 3:(r + 1) * cw * 3] for r in range(ch)]


def is_page(rows, x, y):
    r, g = rows[y][x * 3], rows[y][x * 3 + 1]
    return r != g


def rects(shot, x, y, w, h):
    cw, ch, rows = read_shot(shot, x, y, w, h)
    mid = ch * 6 // 10
    xs = [i for i in range(cw) if is_page(rows, i, mid)]
    if not xs:
        sys.exit("no page on the middle row")
    left, right = xs[0], xs[-1]
    if len(xs) != right - left + 1:
        sys.exit("the pages on the middle row are not one run")
    background = rows[mid][(left - 1) * 3:left * 3]
    view_left = left - 1
    while view_left > 0 and rows[mid][(view_left - 1) * 3:view_left * 3] == background:
        view_left -= 1
    view_right = right + 1
    while view_right + 1 < cw and rows[mid][(view_right + 1) * 3:(view_right + 2) * 3] == background:
        view_right += 1
    column = (left + right) // 2
    top = mid
    while top > 0 and is_page(rows, column, top - 1):
        top -= 1
    bottom = mid
    while bottom + 1 < ch and is_page(rows, column, bottom + 1):
        bottom += 1
    # The left page ends and the right one starts on the view's centre line.
    split = view_left + (view_right - view_left + 1) // 2
    print(left, top, split - left, bottom - top + 1, split, top, right + 1 - split, bottom - top + 1,
          view_left, view_right)


def compare(shot, x, y, copy):
    width, height, expected = read_bmp(copy)
    _, _, rows = read_shot(shot, x, y, width, height)
    for r in range(height):
        if rows[r] != expected[r]:
            col = next(i for i in range(len(rows[r])) if rows[r][i] != expected[r][i]) // 3
            print(f"differs at row {r}, column {col} of the {width}x{height} copy")
            return 1
    return 0


def main():
    mode = sys.argv[1]
    if mode == "pages":
        folder, count, width, height = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
        for n in range(1, count + 1):
            write_page(f"{folder}/p{n:02d}.bmp", width, height, n)
        return 0
    if mode == "rects":
        rects(sys.argv[2], *(int(v) for v in sys.argv[3:7]))
        return 0
    if mode == "compare":
        return compare(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    sys.exit(__doc__)


sys.exit(main())
