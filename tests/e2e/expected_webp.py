"""The colour libwebp gives at the middle of a WebP page, composited over black as
the WebP plug-in does: reads dwebp's PAM (RGBA) and prints rrggbb.
Usage: python3 expected_webp.py PAGE.pam"""
import sys


def blend(a, c):
    # The program's blend table: a * c / 255, rounded at bit 16.
    if a == 0 or c == 0:
        return 0
    if a == 255 or c == 255:
        return c if a == 255 else a
    lo, hi = min(a, c), max(a, c)
    return (hi * (lo * 65536 // 255) + 32768) >> 16


data = open(sys.argv[1], "rb").read()
head, _, pixels = data.partition(b"ENDHDR\n")
fields = dict(line.split(b" ", 1) for line in head.split(b"\n")[1:] if b" " in line)
width, height = int(fields[b"WIDTH"]), int(fields[b"HEIGHT"])
at = ((height * 6 // 10) * width + width // 2) * 4
r, g, b, a = pixels[at : at + 4]
print("%02x%02x%02x" % (blend(a, r), blend(a, g), blend(a, b)))
