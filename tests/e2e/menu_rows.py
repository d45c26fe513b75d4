#!/usr/bin/env python3
# menu_rows.py SHOT X Y GROUP INDEX COUNT: the screen row (y) of the middle of an
# item of a popup menu opened with its top left corner at (X, Y). The menu's
# border and its separators are one-pixel lines of one colour (the border's, the
# first row at Y); they are looked for in the column at X + 10, left of the
# items' texts. GROUP counts the runs of items between two lines from 0, INDEX
# is the item within its run, COUNT the items of that run, which share its
# height evenly. Prints nothing when the menu has fewer runs.
import subprocess
import sys

shot, x, y, group, index, count = sys.argv[1], *map(int, sys.argv[2:7])
height = 500
command = ["convert", shot, "-crop", f"1x{height}+{x + 10}+{y}", "+repage", "-depth", "8", "rgb:-"]
data = subprocess.run(command, capture_output=True, check=True).stdout
pixels = [data[i:i + 3] for i in range(0, len(data) - 2, 3)]
line = pixels[0]
lines = [i for i, p in enumerate(pixels) if p == line]
if group + 1 >= len(lines):
    sys.exit(0)
top, bottom = lines[group], lines[group + 1]
print(y + top + (bottom - top) * (2 * index + 1) // (2 * count))
