#!/usr/bin/env python3
"""Writes the seed corpus of fuzz/probe: the seeds of every picture format's own
target (BMP, GIF, JPEG, PNG, TIFF), made by their scripts and gathered in one
folder, each name prefixed with its format.

    make_seeds.py OUTDIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

FORMATS = ["bmp", "gif", "jpeg", "png", "tiff"]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    here = os.path.dirname(os.path.abspath(__file__))
    for fmt in FORMATS:
        script = os.path.join(here, "..", fmt, "make_seeds.py")
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, script, tmp], check=True)
            for root, _, files in os.walk(tmp):
                for name in files:
                    shutil.copyfile(os.path.join(root, name), os.path.join(out, fmt + "-" + name))


if __name__ == "__main__":
    main()
