#!/usr/bin/env python3
"""Draws the program's resources: icon 100 (16, 32, 48 and 256 pixels), cursors
140-144 (splitter and the four gesture arrows) and tool-bar bitmap 200 (15 images of
16x16 on magenta). Standard library only; the outputs are committed beside
res/program/program.rc and redrawn by running this script:

    python3 tools/resgen/make_resources.py res/program
"""
import math
import struct
import sys
import zlib
from pathlib import Path

MAGENTA = (255, 0, 255, 255)

# One palette for every drawing, so the images read as one family.
INK = (38, 62, 78, 255)        # outlines and glyphs
BLUE = (47, 127, 208, 255)     # navigation accents
ORANGE = (224, 123, 36, 255)   # second accent
PAPER = (250, 250, 246, 255)
FOLDER = (232, 179, 58, 255)
RIBBON = (208, 64, 64, 255)


class Canvas:
    """RGBA pixels, top row first, with supersampled polygon fill."""

    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def blend(self, x, y, colour, cover):
        if not (0 <= x < self.w and 0 <= y < self.h) or cover <= 0:
            return
        p = self.px[y * self.w + x]
        a = colour[3] / 255.0 * cover
        out_a = a + p[3] / 255.0 * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = round((colour[i] * a + p[i] * (p[3] / 255.0) * (1 - a)) / out_a)
        p[3] = round(out_a * 255)

    def polygon(self, pts, colour, ss=4, aa=True):
        """Fills a polygon given in pixel units (edges at integer coordinates)."""
        if not aa:
            ss = 1
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        x0, x1 = max(0, int(math.floor(min(xs)))), min(self.w, int(math.ceil(max(xs))))
        y0, y1 = max(0, int(math.floor(min(ys)))), min(self.h, int(math.ceil(max(ys))))
        n = len(pts)
        for y in range(y0, y1):
            counts = [0] * (x1 - x0)
            for sy in range(ss):
                fy = y + (sy + 0.5) / ss
                xs_hit = []
                for i in range(n):
                    ax, ay = pts[i]
                    bx, by = pts[(i + 1) % n]
                    if (ay <= fy < by) or (by <= fy < ay):
                        xs_hit.append(ax + (fy - ay) * (bx - ax) / (by - ay))
                xs_hit.sort()
                for k in range(0, len(xs_hit) - 1, 2):
                    for x in range(x0, x1):
                        for sx in range(ss):
                            fx = x + (sx + 0.5) / ss
                            if xs_hit[k] <= fx < xs_hit[k + 1]:
                                counts[x - x0] += 1
            for x in range(x0, x1):
                if counts[x - x0]:
                    self.blend(x, y, colour, counts[x - x0] / (ss * ss))

    def rect(self, x0, y0, x1, y1, colour, aa=True):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], colour, aa=aa)

    def circle(self, cx, cy, r, colour, steps=48, aa=True):
        self.polygon([(cx + r * math.cos(2 * math.pi * i / steps), cy + r * math.sin(2 * math.pi * i / steps))
                      for i in range(steps)], colour, aa=aa)

    def line(self, x0, y0, x1, y1, width, colour, aa=True):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour, aa=aa)


# ---------------------------------------------------------------- the icon

def draw_icon(size):
    c = Canvas(size, size)
    s = size / 256.0
    # Rounded tile in two tones of teal.
    r = 44 * s
    tile = []
    for corner, (cx, cy) in enumerate([(256 - 44, 44), (256 - 44, 256 - 44), (44, 256 - 44), (44, 44)]):
        start = -math.pi / 2 + corner * math.pi / 2
        for i in range(9):
            a = start + (math.pi / 2) * i / 8
            tile.append((cx * s + r * math.cos(a), cy * s + r * math.sin(a)))
    c.polygon(tile, (24, 92, 118, 255))
    c.polygon([(0, 150 * s), (256 * s, 96 * s), (256 * s, 212 * s), (212 * s, 256 * s), (44 * s, 256 * s),
               (0, 212 * s)], (19, 74, 96, 110))
    # An open book: two pages meeting at the spine, their outer edges raised.
    left = [(36 * s, 78 * s), (124 * s, 92 * s), (124 * s, 206 * s), (36 * s, 190 * s)]
    right = [(132 * s, 92 * s), (220 * s, 78 * s), (220 * s, 190 * s), (132 * s, 206 * s)]
    c.polygon([(30 * s, 84 * s), (128 * s, 98 * s), (226 * s, 84 * s), (226 * s, 200 * s), (128 * s, 216 * s),
               (30 * s, 200 * s)], (12, 48, 64, 150))
    c.polygon(left, PAPER)
    c.polygon(right, (236, 240, 236, 255))
    if size >= 32:
        # Picture panels on the pages.
        for (x0, x1, y0, y1, col) in [(50, 112, 104, 140, (120, 176, 214, 255)), (50, 80, 148, 182, ORANGE),
                                      (86, 112, 150, 186, (120, 176, 214, 255)),
                                      (144, 206, 106, 146, ORANGE), (144, 206, 154, 184, (120, 176, 214, 255))]:
            tilt = (lambda x: 0.16 * (124 - x)) if x1 <= 124 else (lambda x: 0.16 * (x - 132))
            c.polygon([(x0 * s, (y0 - tilt(x0)) * s), (x1 * s, (y0 - tilt(x1)) * s),
                       (x1 * s, (y1 - tilt(x1)) * s), (x0 * s, (y1 - tilt(x0)) * s)], col)
    # The ribbon marking the page being read.
    c.polygon([(164 * s, 70 * s), (186 * s, 66 * s), (186 * s, 128 * s), (175 * s, 118 * s), (164 * s, 130 * s)],
              RIBBON)
    return c


# ---------------------------------------------------------------- tool bar

def tri(c, pts, colour):
    c.polygon(pts, colour, aa=False)


def glyph(index):
    c = Canvas(16, 16, MAGENTA)
    R = lambda *a: c.rect(*a, aa=False)
    if index == 0:  # main menu
        for y in (3, 7, 11):
            R(2, y, 14, y + 2, INK)
    elif index == 1:  # favourite folders
        R(1, 4, 7, 6, INK)
        R(1, 5, 15, 14, INK)
        R(2, 7, 14, 13, FOLDER)
        R(2, 5, 6, 6, FOLDER)
    elif index == 2:  # bookmarks
        tri(c, [(4, 1), (12, 1), (12, 15), (8, 11), (4, 15)], INK)
        tri(c, [(5, 2), (11, 2), (11, 13), (8, 10), (5, 13)], RIBBON)
    elif index == 3:  # first page: bar and triangle
        R(2, 3, 4, 13, INK)
        tri(c, [(13, 2), (13, 14), (5, 8)], BLUE)
    elif index == 4:  # back 20: two triangles
        tri(c, [(8, 3), (8, 13), (1, 8)], BLUE)
        tri(c, [(15, 3), (15, 13), (8, 8)], BLUE)
    elif index == 5:  # previous spread: large triangle
        tri(c, [(13, 1), (13, 15), (3, 8)], BLUE)
    elif index == 6:  # previous page: chevron
        tri(c, [(10, 2), (12, 4), (8, 8), (12, 12), (10, 14), (4, 8)], INK)
    elif index == 7:  # next page
        tri(c, [(6, 2), (12, 8), (6, 14), (4, 12), (8, 8), (4, 4)], INK)
    elif index == 8:  # next spread
        tri(c, [(3, 1), (3, 15), (13, 8)], BLUE)
    elif index == 9:  # forward 20
        tri(c, [(1, 3), (1, 13), (8, 8)], BLUE)
        tri(c, [(8, 3), (8, 13), (15, 8)], BLUE)
    elif index == 10:  # last page
        tri(c, [(3, 2), (3, 14), (11, 8)], BLUE)
        R(12, 3, 14, 13, INK)
    elif index == 11:  # magnifier
        c.circle(6.5, 6.5, 5.5, INK, aa=False)
        c.circle(6.5, 6.5, 3.6, (214, 236, 250, 255), aa=False)
        c.line(10, 10, 14.5, 14.5, 3, ORANGE, aa=False)
    elif index == 12:  # full screen: four corners
        for (x, y, dx, dy) in [(1, 1, 1, 1), (15, 1, -1, 1), (1, 15, 1, -1), (15, 15, -1, -1)]:
            R(min(x, x + 5 * dx), min(y, y + 2 * dy), max(x, x + 5 * dx), max(y, y + 2 * dy), INK)
            R(min(x, x + 2 * dx), min(y, y + 5 * dy), max(x, x + 2 * dx), max(y, y + 5 * dy), INK)
        R(5, 5, 11, 11, BLUE)
    elif index == 13:  # minimise
        R(3, 11, 13, 14, INK)
    elif index == 14:  # close
        c.line(3, 3, 13, 13, 2.6, RIBBON, aa=False)
        c.line(13, 3, 3, 13, 2.6, RIBBON, aa=False)
    return c


def bmp24(canvas):
    """A bottom-up 24-bit BMP file of the canvas (alpha dropped)."""
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, _ = canvas.px[y * w + x]
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


# ---------------------------------------------------------------- icons and cursors

def dib32(canvas):
    """The image part of an icon or cursor entry: header, BGRA rows bottom-up, AND mask."""
    w, h = canvas.w, canvas.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = canvas.px[y * w + x]
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if canvas.px[y * w + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def png(canvas):
    raw = b"".join(b"\0" + bytes(v for x in range(canvas.w) for v in canvas.px[y * canvas.w + x])
                   for y in range(canvas.h))
    chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_file(images, kind=1, hotspots=None):
    """ICO (kind 1) or CUR (kind 2) with one entry per image."""
    out = struct.pack("<HHH", 0, kind, len(images))
    blobs = []
    for i, img in enumerate(images):
        blobs.append(png(img) if img.w >= 256 else dib32(img))
    offset = 6 + 16 * len(images)
    for i, (img, blob) in enumerate(zip(images, blobs)):
        a = 0 if img.w >= 256 else img.w
        if kind == 1:
            out += struct.pack("<BBBBHHII", a, a, 0, 0, 1, 32, len(blob), offset)
        else:
            hx, hy = hotspots[i]
            out += struct.pack("<BBBBHHII", a, a, 0, 0, hx, hy, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def arrow_cursor(direction):
    """A gesture arrow: black with a white rim, pointing left, right, up or down."""
    c = Canvas(32, 32)
    shape = [(4, 16), (14, 6), (14, 12), (28, 12), (28, 20), (14, 20), (14, 26)]
    rot = {"left": lambda x, y: (x, y), "right": lambda x, y: (32 - x, y),
           "up": lambda x, y: (y, x), "down": lambda x, y: (y, 32 - x)}[direction]
    pts = [rot(x, y) for x, y in shape]
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    grow = [(x + (x - cx) * 0.16, y + (y - cy) * 0.16) for x, y in pts]
    c.polygon(grow, (255, 255, 255, 255))
    c.polygon(pts, (0, 0, 0, 255))
    return c


def splitter_cursor():
    c = Canvas(32, 32)
    white, black = (255, 255, 255, 255), (0, 0, 0, 255)
    outline = [(2, 16), (9, 9), (9, 13), (14, 13), (14, 5), (18, 5), (18, 13), (23, 13), (23, 9), (30, 16),
               (23, 23), (23, 19), (18, 19), (18, 27), (14, 27), (14, 19), (9, 19), (9, 23)]
    c.polygon(outline, white, aa=False)
    c.polygon([(4, 16), (9, 11), (9, 15), (15, 15), (15, 6), (17, 6), (17, 15), (23, 15), (23, 11), (28, 16),
               (23, 21), (23, 17), (17, 17), (17, 26), (15, 26), (15, 17), (9, 17), (9, 21)], black, aa=False)
    return c


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "res/program")
    out.mkdir(parents=True, exist_ok=True)
    (out / "pagewick.ico").write_bytes(icon_file([draw_icon(s) for s in (16, 32, 48, 256)]))
    strip = Canvas(16 * 15, 16, MAGENTA)
    for i in range(15):
        g = glyph(i)
        for y in range(16):
            for x in range(16):
                strip.px[y * strip.w + i * 16 + x] = g.px[y * 16 + x]
    (out / "toolbar.bmp").write_bytes(bmp24(strip))
    (out / "splitter.cur").write_bytes(icon_file([splitter_cursor()], 2, [(16, 16)]))
    for name, hot in [("left", (4, 16)), ("right", (28, 16)), ("up", (16, 4)), ("down", (16, 28))]:
        (out / f"gesture_{name}.cur").write_bytes(icon_file([arrow_cursor(name)], 2, [hot]))


if __name__ == "__main__":
    main()
