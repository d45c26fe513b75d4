#!/usr/bin/env python3
"""Times Pillow's BOX reduction of a page: pillow_box.py MODE W H OUT_W OUT_H ROUNDS.

MODE is RGB or L. Prints the best wall-clock and the best processor seconds per
reduction over ROUNDS, or nothing when Pillow is missing (the benchmark then
reports the reference as skipped)."""
import os
import sys
import time

try:
    from PIL import Image
except ImportError:
    sys.exit(1)

mode, w, h, ow, oh, rounds = sys.argv[1], *map(int, sys.argv[2:7])
channels = 3 if mode == "RGB" else 1
page = Image.frombytes(mode, (w, h), os.urandom(w * h * channels))
best = float("inf")
best_cpu = float("inf")
for _ in range(rounds):
    start = time.perf_counter()
    start_cpu = time.process_time()
    page.resize((ow, oh), Image.BOX)
    best_cpu = min(best_cpu, time.process_time() - start_cpu)
    best = min(best, time.perf_counter() - start)
print(f"{best:.9f} {best_cpu:.9f}")
