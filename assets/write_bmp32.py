#!/usr/bin/env python3
"""Turns a binary PPM (P6, maxval 255) on standard input into a 32-bit Windows bitmap.

The bitmap is uncompressed BI_RGB, 32 bits per pixel, rows bottom-up, each pixel stored as
blue, green, red and a zero byte. SDL 1.2 loads that layout as 4 bytes per pixel with red,
green and blue masks 0xFF0000, 0xFF00 and 0xFF and no alpha, which is the game's display
format, so every blit of these pictures is a plain copy. ImageMagick's own BMP writer picks
BITFIELDS or alpha variants by itself, hence this writer.

Usage: convert ... ppm:- | python3 write_bmp32.py OUTPUT.bmp
"""

import struct
import sys

FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40
PIXELS_PER_METRE = 2835  # 72 dots per inch, what most tools write


def read_token(data, pos):
    """Next whitespace-separated header token of a PPM, skipping # comments."""
    while True:
        while pos < len(data) and data[pos : pos + 1].isspace():
            pos += 1
        if data[pos : pos + 1] != b"#":
            break
        while pos < len(data) and data[pos : pos + 1] not in (b"\n", b"\r"):
            pos += 1
    start = pos
    while pos < len(data) and not data[pos : pos + 1].isspace():
        pos += 1
    return data[start:pos], pos


def parse_ppm(data):
    """Width, height and the packed RGB rows, top row first."""
    magic, pos = read_token(data, 0)
    width, pos = read_token(data, pos)
    height, pos = read_token(data, pos)
    maxval, pos = read_token(data, pos)
    if magic != b"P6" or maxval != b"255":
        sys.exit("write_bmp32: expected an 8-bit binary PPM (P6, maxval 255)")
    width, height = int(width), int(height)
    pos += 1  # the single whitespace byte that ends the header
    rgb = data[pos : pos + width * height * 3]
    if len(rgb) != width * height * 3:
        sys.exit("write_bmp32: the PPM is cut short")
    return width, height, rgb


def bmp_bytes(width, height, rgb):
    row_bytes = width * 3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = rgb[y * row_bytes : (y + 1) * row_bytes]
        out = bytearray(width * 4)
        out[0::4] = row[2::3]
        out[1::4] = row[1::3]
        out[2::4] = row[0::3]
        pixels += out
    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack(
        "<IiiHHIIiiII",
        INFO_HEADER_SIZE,
        width,
        height,  # positive: rows stored bottom-up
        1,  # planes
        32,  # bits per pixel
        0,  # BI_RGB
        len(pixels),
        PIXELS_PER_METRE,
        PIXELS_PER_METRE,
        0,  # no palette
        0,
    )
    return file_header + info_header + bytes(pixels)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: write_bmp32.py OUTPUT.bmp < INPUT.ppm")
    width, height, rgb = parse_ppm(sys.stdin.buffer.read())
    with open(sys.argv[1], "wb") as out:
        out.write(bmp_bytes(width, height, rgb))


if __name__ == "__main__":
    main()
