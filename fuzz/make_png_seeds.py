#!/usr/bin/env python3
"""Writes the small PNG seed corpus for fuzz_png_memory: one image per colour type and bit depth the
loader converts (palette with transparency, 1- and 16-bit grey, grey+alpha, RGB, RGBA, 16-bit RGBA,
an interlaced image), each a few pixels, encoded here with zlib so no image library is needed."""

import os
import struct
import sys
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, depth, color, rows, extra=b"", interlace=0):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, color, 0, 0, interlace)
    raw = b"".join(b"\x00" + r for r in rows)  # filter type 0 on every scanline
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def adam7_rows(width, height, pixel):
    """Scanlines of an Adam7-interlaced 8-bit RGB image, pass by pass."""
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    rows = []
    for x0, y0, dx, dy in passes:
        xs = list(range(x0, width, dx))
        if not xs:
            continue
        for y in range(y0, height, dy):
            rows.append(b"".join(pixel(x, y) for x in xs))
    return rows


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    seeds = {
        "rgba8.png": png(2, 2, 8, 6, [bytes([10, 20, 30, 40, 250, 251, 252, 0]), bytes(8)]),
        "rgb8.png": png(3, 1, 8, 2, [bytes([1, 2, 3, 4, 5, 6, 7, 8, 9])]),
        "rgba16.png": png(1, 1, 16, 6, [bytes([0x10, 0xFF, 0x20, 0, 0x30, 0x80, 0x40, 1])]),
        "grey1.png": png(3, 2, 1, 0, [bytes([0xA0]), bytes([0x40])]),
        "grey16.png": png(2, 1, 16, 0, [bytes([0xAB, 0x12, 0, 0xFF])]),
        "greyalpha8.png": png(1, 2, 8, 4, [bytes([77, 200]), bytes([0, 255])]),
        "grey8_trns.png": png(2, 1, 8, 0, [bytes([50, 60])], chunk(b"tRNS", struct.pack(">H", 50))),
        "palette2_trns.png": png(3, 1, 2, 3, [bytes([0b10000100])],
                                 chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0, 1, 2, 3])) + chunk(b"tRNS", bytes([128]))),
        "rgb8_adam7.png": png(9, 9, 8, 2, adam7_rows(9, 9, lambda x, y: bytes([x, y, x * y])), interlace=1),
    }
    for name, data in seeds.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "png"))
