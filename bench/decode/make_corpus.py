#!/usr/bin/env python3
"""Writes the decoding benchmark's corpus: realistic comic and book pages at
1800x2560 and larger, as PNG and BMP, drawn with ImageMagick (`convert`):

  photo_rgb      ImageMagick's built-in rose photo scaled up, with a little grain
  lineart_grey   panels, ink strokes, speech balloons and text on white
  manga_grey     line art over screentone and a grey photo panel
  comic_rgb      coloured panels (plasma fills) with line art and lettering
  comic_palette  the same quantised to 256 colours (palette PNG, 8-bit BMP)
  comic_rgba     the colour page with a soft alpha border
  scan_grey      a 2480x3508 text page with scanner noise

    make_corpus.py OUTDIR
"""
import os
import random
import subprocess
import sys

W, H = 1800, 2560


def run(*args):
    subprocess.run(["convert", *args], check=True)


def line_art(rng, width, height, panels=True):
    """MVG drawing commands: panel frames, brush strokes, balloons, lettering."""
    cmds = ["stroke-linecap round", "fill none"]
    if panels:
        cmds += ["stroke black", "stroke-width 8"]
        rows = [0, height * 0.3, height * 0.62, height]
        for r in range(3):
            y0, y1 = int(rows[r]) + 60, int(rows[r + 1]) - 30
            split = rng.randint(width // 3, 2 * width // 3)
            cmds.append("rectangle 60,%d %d,%d" % (y0, split - 20, y1))
            cmds.append("rectangle %d,%d %d,%d" % (split + 20, y0, width - 60, y1))
    for _ in range(900):
        cmds.append("stroke-width %d" % rng.choice((1, 2, 2, 3, 5)))
        x, y = rng.randrange(width), rng.randrange(height)
        pts = [(x, y)]
        for _ in range(3):
            x += rng.randint(-90, 90)
            y += rng.randint(-90, 90)
            pts.append((x, y))
        cmds.append("bezier " + " ".join("%d,%d" % p for p in pts))
    cmds += ["stroke black", "stroke-width 3", "fill white"]
    for _ in range(14):
        x, y = rng.randrange(150, width - 150), rng.randrange(150, height - 150)
        cmds.append("ellipse %d,%d %d,%d 0,360" % (x, y, rng.randint(120, 260), rng.randint(60, 120)))
    return cmds


def lettering(rng, width, height, size, lines):
    """ImageMagick -annotate arguments for lines of text."""
    words = "the quick brown fox jumps over a lazy dog while seven panels wait in silence".split()
    args = ["-font", "DejaVu-Sans", "-pointsize", str(size), "-fill", "black", "-stroke", "none"]
    for i in range(lines):
        text = " ".join(rng.choice(words) for _ in range(rng.randint(3, 9)))
        args += ["-annotate", "+%d+%d" % (rng.randrange(80, width // 3), 120 + i * (height - 200) // lines), text]
    return args


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(2024)
    # The drawing goes on the command line: the usual security policy forbids
    # reading it from a file with "@".
    art = " ".join(line_art(rng, W, H))

    def page(name):
        return os.path.join(out, name)

    grey8 = ["-define", "png:color-type=0", "-define", "png:bit-depth=8"]
    rgb8 = ["-define", "png:color-type=2", "-define", "png:bit-depth=8"]

    run("rose:", "-filter", "Lanczos", "-resize", "%dx%d!" % (W, H), "-attenuate", "0.25", "+noise",
        "Gaussian", *rgb8, page("photo_rgb.png"))
    run(page("photo_rgb.png"), "-compress", "None", "BMP3:" + page("photo_rgb.bmp"))

    run("-size", "%dx%d" % (W, H), "xc:white", "-draw", art, *lettering(rng, W, H, 30, 40),
        "-colorspace", "Gray", *grey8, page("lineart_grey.png"))
    run(page("lineart_grey.png"), "-type", "Grayscale", "-compress", "None", "BMP3:" + page("lineart_grey.bmp"))

    run("-size", "%dx%d" % (W, H), "pattern:gray25", "(", "rose:", "-resize", "%dx%d!" % (W, H // 3),
        "-colorspace", "Gray", ")", "-geometry", "+0+%d" % (H // 3), "-composite", "(", "-size",
        "%dx%d" % (W, H), "xc:none", "-draw", art, ")", "-composite", *lettering(rng, W, H, 34, 20),
        "-colorspace", "Gray", *grey8, page("manga_grey.png"))
    run(page("manga_grey.png"), "-type", "Grayscale", "-compress", "None", "BMP3:" + page("manga_grey.bmp"))

    art = " ".join(line_art(rng, W, H))
    run("-seed", "5", "-size", "%dx%d" % (W // 4, H // 4), "plasma:tan-steelblue", "-blur", "0x2", "-resize",
        "%dx%d!" % (W, H), "-draw", art, *lettering(rng, W, H, 32, 30), *rgb8, page("comic_rgb.png"))
    run(page("comic_rgb.png"), "-compress", "None", "BMP3:" + page("comic_rgb.bmp"))
    run(page("comic_rgb.png"), "-dither", "None", "-colors", "256", "PNG8:" + page("comic_palette.png"))
    run(page("comic_palette.png"), "-type", "Palette", "-compress", "None", "BMP3:" + page("comic_palette.bmp"))
    run(page("comic_rgb.png"), "-alpha", "set", "-background", "none", "-vignette", "0x60", "-define",
        "png:color-type=6", "-define", "png:bit-depth=8", page("comic_rgba.png"))

    sw, sh = 2480, 3508
    run("-size", "%dx%d" % (sw, sh), "xc:gray96", *lettering(rng, sw, sh, 36, 70), "-attenuate", "0.4",
        "+noise", "Gaussian", "-colorspace", "Gray", *grey8, page("scan_grey.png"))
    run(page("scan_grey.png"), "-type", "Grayscale", "-compress", "None", "BMP3:" + page("scan_grey.bmp"))


if __name__ == "__main__":
    main()
