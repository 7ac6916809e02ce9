#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz targets into seeds/.

Pictures: small sound bitmaps of every depth the loader expands or keeps, and the kinds of
hostile header that once gave impossible surfaces. Events: short sessions that reach every
screen. Rerunning gives byte-identical files.
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(width, height, bits, pixels=b"", palette=b"", compression=0, colours_used=0,
        masks=b"", length=None):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels),
                       2835, 2835, colours_used, 0)
    offset = 14 + len(info) + len(masks) + len(palette)
    body = info + masks + palette + pixels
    data = b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body
    return data if length is None else (data + bytes(length))[:length]


def grey_palette(count):
    return b"".join(bytes((i * 255 // max(count - 1, 1),) * 3 + (0,)) for i in range(count))


def rows(width, height, bytes_per_pixel):
    stride = (width * bytes_per_pixel + 3) & ~3
    return bytes((x * 37 + y * 11) & 0xFF for y in range(height) for x in range(stride))


PICTURES = {
    "sound-8bit.bmp": bmp(5, 3, 8, bytes(i % 4 for i in range(24)), grey_palette(4),
                          colours_used=4),
    "sound-4bit.bmp": bmp(7, 2, 4, bytes(0x12 for _ in range(8)), grey_palette(16)),
    "sound-1bit.bmp": bmp(9, 2, 1, b"\xaa\x80\0\0\x55\x00\0\0", grey_palette(2)),
    "sound-16bit.bmp": bmp(3, 3, 16, rows(3, 3, 2), compression=3,
                           masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)),
    "sound-24bit.bmp": bmp(5, 4, 24, rows(5, 4, 3)),
    "sound-32bit-top-down.bmp": bmp(4, -3, 32, rows(4, 3, 4)),
    # SDL accepts a height of -2^31 with a one-row buffer.
    "min-height.bmp": bmp(1, -2**31, 32, length=54),
    # 16 bytes per pixel: the pitch wraps to 0 in SDL 1.2's 16 bits.
    "wrapped-pitch.bmp": bmp(4097, 1, 128, bytes(64)),
    "odd-bit-count.bmp": bmp(4, 4, 255, bytes(1024)),
    "eight-byte-pixels.bmp": bmp(4, 4, 64, bytes(128)),
    # A palette of two colours and pixels that index far past it.
    "outside-palette.bmp": bmp(4, 2, 8, b"\xc8" * 8, grey_palette(2), colours_used=2),
    "huge-palette-count.bmp": bmp(2, 2, 8, bytes(8), grey_palette(4), colours_used=0x7FFFFFFF),
    "short-1bit.bmp": bmp(8, 1, 1, length=42),
    "zero-width.bmp": bmp(0, 5, 32, bytes(20)),
    # Within the limits but with its rows missing: refused before a surface of 64 MB is made.
    "rows-missing.bmp": bmp(4096, 4096, 32, bytes(8)),
    # Past the pixel limit in a few bytes of runs, which SDL2 decodes.
    "runs-past-the-pixel-limit.bmp": bmp(8192, 4096, 8, b"\0\1", grey_palette(2), compression=1,
                                         colours_used=2),
}


def event(kind, code=0, x=0, y=0):
    return struct.pack("<BBHH", kind, code, x, y)


KEYDOWN, MOTION, BUTTONDOWN, QUIT = 0, 2, 3, 7
SPACE, ESCAPE, KEY_I = 32, 27, 105


def click(x, y):
    return event(MOTION, 0, x, y) + event(BUTTONDOWN, 1, x, y)


TO_PLAY = event(KEYDOWN, SPACE) + event(KEYDOWN, SPACE)
EVENTS = {
    "ring-wins.bin": TO_PLAY + b"".join(click(90 * (c // 3) + 45, 90 * (c % 3) + 45)
                                        for c in (0, 3, 1, 4, 2)),
    "help-and-back.bin": TO_PLAY + event(KEYDOWN, KEY_I) + event(KEYDOWN, ESCAPE)
    + event(KEYDOWN, ESCAPE) + event(KEYDOWN, ESCAPE),
    "wheel-and-quit.bin": TO_PLAY + event(BUTTONDOWN, 5, 10, 10) * 3
    + event(BUTTONDOWN, 4, 10, 10) * 50 + event(MOTION, 0, 65535, 65535) + event(QUIT),
}


def write_all(directory, files):
    os.makedirs(directory, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)


write_all(os.path.join(HERE, "seeds", "picture"), PICTURES)
shutil.copyfile(os.path.join(HERE, "..", "..", "assets", "NULL.bmp"),
                os.path.join(HERE, "seeds", "picture", "shipped-cell.bmp"))
write_all(os.path.join(HERE, "seeds", "events"), EVENTS)
