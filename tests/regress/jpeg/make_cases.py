#!/usr/bin/env python3
"""Writes the hand-made must-fail JPEG inputs of this folder.

Each one is a fault a decoder over outside bytes must survive: every file here
(generated or found by the fuzzer) must be refused cleanly by both entry points.
Needs ImageMagick's convert for the base picture. Run from anywhere; the outputs
are committed beside this script.
"""
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def base_jpeg(args):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "base.jpg")
        subprocess.run(["convert", *args, "-strip", path], check=True)
        with open(path, "rb") as f:
            return f.read()


def segments(data):
    """(offset, marker, length) of each marker segment up to the first scan."""
    pos = 2
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        yield pos, marker, length
        if marker == 0xDA:
            return
        pos += 2 + length


def find(data, marker):
    for pos, m, length in segments(data):
        if m == marker:
            return pos, length
    raise ValueError("marker %02X not found" % marker)


def with_size(data, width, height):
    pos, _ = find(data, 0xC0)
    return data[:pos + 5] + struct.pack(">HH", height, width) + data[pos + 9:]


def exif_app1(tiff):
    payload = b"Exif\0\0" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def main():
    colour = base_jpeg(["-size", "16x16", "gradient:red-blue", "-quality", "90"])
    sos, sos_len = find(colour, 0xDA)
    dht, dht_len = find(colour, 0xC4)
    cases = {
        # A frame header claiming a colour picture whose pixel block needs 12 GiB.
        "huge_colour_frame.jpg": with_size(colour, 65500, 65500),
        # Just over the 4 GiB block limit.
        "block_just_over_4gib.jpg": with_size(colour, 37450, 38228),
        "zero_height.jpg": with_size(colour, 16, 0),
        # Ends inside the scan header: no picture data at all.
        "cut_in_scan_header.jpg": colour[:sos + 6],
        # Ends inside the frame header.
        "cut_in_frame_header.jpg": colour[:find(colour, 0xC0)[0] + 7],
        # A Huffman table whose code counts add up to more than 256 codes.
        "bogus_huffman_counts.jpg": colour[:dht + 5] + b"\xff" * 16 + colour[dht + 21:],
        # Tables only: everything up to the scan, then the end of image.
        "tables_only.jpg": colour[:sos] + b"\xff\xd9",
        # An EXIF segment with hostile offsets, and no frame after it.
        "exif_without_frame.jpg": b"\xff\xd8"
        + exif_app1(b"MM\x00\x2a\xff\xff\xff\xf0" + b"\xff" * 32)
        + b"\xff\xd9",
        # The start-of-scan segment's length runs past the end of the file.
        "scan_length_past_end.jpg": colour[:sos + 2] + b"\xff\xf0" + colour[sos + 4:sos + 2 + sos_len],
    }
    for name, data in cases.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
