#!/usr/bin/env python3
# longest_row.py SHOT X0 Y0 W H: within that rectangle of a screenshot, the
# screen row whose dark pixels reach farthest right, printed as "Y X". A tree
# item with a name longer than every other one is found this way wherever the
# tree places it.
import subprocess
import sys

shot, x0, y0, w, h = sys.argv[1], *map(int, sys.argv[2:6])
command = ["convert", shot, "-crop", f"{w}x{h}+{x0}+{y0}", "+repage", "-colorspace", "gray", "-depth", "8", "pgm:-"]
ppm = subprocess.run(command, capture_output=True, check=True).stdout
parts = ppm.split(maxsplit=4)
width, height, data = int(parts[1]), int(parts[2]), parts[4]
best_y, best_x = -1, -1
for y in range(height):
    row = data[y * width:(y + 1) * width]
    right = max((x for x in range(width) if row[x] < 100), default=-1)
    if right > best_x:
        best_x, best_y = right, y
print(y0 + best_y, x0 + best_x)
