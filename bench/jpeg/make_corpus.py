#!/usr/bin/env python3
"""Writes the benchmark corpus of bench/jpeg: comic pages as readers meet them.

Pages (all drawn with ImageMagick's convert; photos from Debian's
python-matplotlib-data and ImageMagick's built-in pictures, scaled up with
film grain so the blocks are not flat):
  photo_colour     1800x2560  a full-page photo, 4:2:0, quality 90
  comic_colour     1800x2560  panels of photos, plasma skies, line art, balloons
                              with text, 4:2:0, quality 90
  comic_colour_prog 1800x2560 the same page, progressive
  manga_grey       1800x2560  grey panels: photo, screentone, ink strokes, text
  scan_text        2480x3508  a scanned text page on tinted paper, 4:4:4, q92
  spread_colour    3600x2560  two comic pages side by side, 4:2:0, quality 85

    make_corpus.py OUTDIR
"""
import os
import random
import subprocess
import sys
import tempfile
import textwrap

PHOTO = "/usr/share/matplotlib/mpl-data/sample_data/grace_hopper.jpg"
FONT = "DejaVu-Sans"
W, H = 1800, 2560


def run(args):
    # A fixed seed keeps the noise, and so the files, the same on every run.
    subprocess.run(["convert", "-seed", "1", *args], check=True)


def panels(rng, width, height):
    """Panel rectangles of a page: rows of one to three panels."""
    boxes = []
    y = 60
    rows = 4
    row_h = (height - 120 - (rows - 1) * 30) // rows
    for _ in range(rows):
        n = rng.choice([1, 2, 2, 3])
        cuts = sorted(rng.sample(range(300, width - 300), n - 1))
        xs = [60] + cuts + [width - 60]
        for i in range(n):
            x0 = xs[i] + (15 if i else 0)
            x1 = xs[i + 1] - (15 if i < n - 1 else 0)
            boxes.append((x0, y, x1, y + row_h))
        y += row_h + 30
    return boxes


def ink_strokes(rng, box, count, colour):
    x0, y0, x1, y1 = box
    lines = ["stroke %s fill none" % colour]
    for _ in range(count):
        ax, ay = rng.randint(x0, x1), rng.randint(y0, y1)
        pts = [(ax, ay)]
        for _ in range(3):
            ax = min(x1, max(x0, ax + rng.randint(-120, 120)))
            ay = min(y1, max(y0, ay + rng.randint(-120, 120)))
            pts.append((ax, ay))
        lines.append("stroke-width %d" % rng.choice([1, 2, 3, 5]))
        lines.append("bezier " + " ".join("%d,%d" % p for p in pts))
    return lines


def balloon(rng, box, words):
    x0, y0, x1, y1 = box
    cx = rng.randint(x0 + 160, max(x0 + 161, x1 - 160))
    cy = rng.randint(y0 + 90, max(y0 + 91, y1 - 90))
    text = " ".join(rng.choice(words) for _ in range(6))
    return [
        "stroke black stroke-width 4 fill white",
        "ellipse %d,%d 150,80 0,360" % (cx, cy),
        "stroke none fill black font-size 30 font %s" % FONT,
        "text %d,%d '%s'" % (cx - 125, cy - 10, text[:18]),
        "text %d,%d '%s'" % (cx - 125, cy + 28, text[18:36]),
    ]


def draw_page(tmp, name, grey, seed):
    rng = random.Random(seed)
    words = ("the night was long and the city slept under rain while we ran toward "
             "the station hoping someone still waited there").split()
    boxes = panels(rng, W, H)
    layers = []
    fills = []
    for i, box in enumerate(boxes):
        x0, y0, x1, y1 = box
        bw, bh = x1 - x0, y1 - y0
        kind = i % 4
        tile = os.path.join(tmp, "%s_%d.png" % (name, i))
        if kind == 0:
            run([PHOTO, "-resize", "%dx%d^" % (bw, bh), "-gravity", "center", "-extent", "%dx%d" % (bw, bh),
                 "-attenuate", "0.4", "+noise", "Gaussian", tile])
        elif kind == 1:
            src = rng.choice(["rose:", "wizard:", "logo:"])
            run([src, "-resize", "%dx%d^" % (bw, bh), "-gravity", "center", "-extent", "%dx%d" % (bw, bh),
                 "-attenuate", "0.3", "+noise", "Gaussian", tile])
        elif kind == 2:
            run(["-size", "%dx%d" % (bw, bh), "-seed", str(seed + i), "plasma:skyblue-white",
                 "-blur", "0x3", tile])
        else:
            # Screentone: a fine dot pattern, as printed manga uses for shading.
            run(["-size", "%dx%d" % (bw, bh), "pattern:gray25", "-scale", "200%",
                 "-attenuate", "0.2", "+noise", "Gaussian", tile])
        layers += [tile, "-geometry", "+%d+%d" % (x0, y0), "-composite"]
        fills += ink_strokes(rng, box, 25, "black")
        fills += balloon(rng, box, words)
        fills += ["stroke black stroke-width 8 fill none", "rectangle %d,%d %d,%d" % box]
    # The drawing goes inline: the usual security policy refuses "@file" arguments.
    page = os.path.join(tmp, name + ".png")
    run(["-size", "%dx%d" % (W, H), "xc:white", *layers, "-draw", "\n".join(fills),
         *(["-colorspace", "Gray"] if grey else []), page])
    return page


def text_page():
    """Seventy lines of prose as drawing commands (one text primitive a line)."""
    with open("/usr/share/common-licenses/GPL-3") as f:
        raw = f.read()
    lines = []
    for para in raw.split("\n\n"):
        lines += textwrap.wrap(" ".join(para.split()), 100) + [""]
    cmds = ["fill #222222 font-size 34 font %s" % FONT]
    for i, line in enumerate(lines[:70]):
        cmds.append("text 160,%d '%s'" % (200 + 46 * i, line.replace("'", "").replace("\\", "")))
    return "\n".join(cmds)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        run([PHOTO, "-resize", "%dx%d^" % (W, H), "-gravity", "center", "-extent", "%dx%d" % (W, H),
             "-attenuate", "0.5", "+noise", "Gaussian", "-sampling-factor", "2x2", "-quality", "90",
             os.path.join(out, "photo_colour.jpg")])
        colour = draw_page(tmp, "comic", False, 11)
        run([colour, "-sampling-factor", "2x2", "-quality", "90", os.path.join(out, "comic_colour.jpg")])
        run([colour, "-sampling-factor", "2x2", "-quality", "90", "-interlace", "Plane",
             os.path.join(out, "comic_colour_prog.jpg")])
        grey = draw_page(tmp, "manga", True, 23)
        run([grey, "-quality", "88", os.path.join(out, "manga_grey.jpg")])
        second = draw_page(tmp, "second", False, 37)
        run([second, colour, "+append", "-sampling-factor", "2x2", "-quality", "85",
             os.path.join(out, "spread_colour.jpg")])
        text = os.path.join(tmp, "text.png")
        run(["-size", "2480x3508", "xc:#f4eedc", "-draw", text_page(), "-attenuate", "0.3", "+noise", "Gaussian",
             text])
        run([text, "-sampling-factor", "1x1", "-quality", "92", os.path.join(out, "scan_text.jpg")])


if __name__ == "__main__":
    main()
