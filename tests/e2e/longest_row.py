#!/usr/bin/env python3
# longest_row.py SHOT X0 Y0 W H [N]: within that rectangle of a screenshot, the
# screen row whose dark pixels reach farthest right, printed as "Y X". A tree
# item with a name longer than every other one is found this way wherever the
# tree places it. With N, the N such rows of N different items (rows at least
# 10 pixels apart), one a line, farthest reaching first.
import subprocess
import sys

shot, x0, y0, w, h = sys.argv[1], *map(int, sys.argv[2:6])
count = int(sys.argv[6]) if len(sys.argv) > 6 else 1
command = ["convert", shot, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage", "-colorspace", "gray", "-depth", "8", "pgm:-"]
ppm = subprocess.run(command, capture_output=True, check=True).stdout
parts = ppm.split(maxsplit=4)
width, height, data = int(parts[1]), int(parts[2]), parts[4]
reach = []
for y in range(height):
    row = data[y * width:(y + 1) * width]
    reach.append((max((x for x in range(width) if row[x] < 100), default=-1), -y))
found = []
for right, minus_y in sorted(reach, reverse=True):
    if len(found) == count:
        break
    if all(abs(-minus_y - y) >= 10 for y, _ in found):
        found.append((-minus_y, right))
for y, right in found:
    print(y0 + y, x0 + right)
