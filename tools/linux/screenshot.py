"""Plays into a game in a private Xvfb and saves the window as a PNG; see screenshot.sh.

Run as: tools/linux/screenshot.py <noughts binary> <assets dir> <output png>
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import harness  # noqa: E402

# Rings in cells 0 and 6, crosses in 4 and 2 (cell = column * 3 + row, 90 pixels each).
CLICKS = [harness.cell_centre(cell) for cell in (0, 4, 6, 2)]
# The ring to move hovers near the top middle cell, where it would win.
POINTER = (150, 58)
STABLE_CAPTURES = 3


class GameInAssets(harness.Game):
    """The game run from the shipped pictures' own folder, as tools/play.sh runs it."""

    def __init__(self, xserver, binary, folder):
        super().__init__(xserver, binary)
        self.folder = os.path.abspath(folder)

    def start(self):
        self.root = tempfile.mkdtemp(prefix="noughts-screenshot-")
        self.workdir = self.folder
        with open(self._out_path("stdout"), "wb") as out, \
                open(self._out_path("stderr"), "wb") as err:
            self.process = subprocess.Popen([self.binary], cwd=self.workdir, env=self.x.env(),
                                            stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                            start_new_session=True)


def write_png(path, image):
    """An 8-bit RGB PNG, every row unfiltered."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    stride = image.width * 3
    rgb = image.rgb
    raw = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(image.height))
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def settled_capture(game):
    """A capture once the window has stopped changing: the last motion has been drawn."""
    captures = [game.capture()]

    def stable():
        captures.append(game.capture())
        recent = captures[-STABLE_CAPTURES:]
        return len(recent) == STABLE_CAPTURES and all(c.rgb == recent[0].rgb for c in recent)

    harness.wait_until(stable, harness.DEFAULT_TIMEOUT, "the window to settle")
    return captures[-1]


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: %s NOUGHTS_BINARY ASSETS_DIR OUTPUT_PNG" % sys.argv[0])
    binary, assets, output = sys.argv[1:]
    harness.unwind_on_termination()
    with harness.XServer() as x:
        with GameInAssets(x, binary, assets) as game:
            game.find_window()
            game.wait_for_image(harness.read_bmp(os.path.join(assets, "intro.bmp")), name="intro")
            game.key("space")
            game.wait_for_image(harness.read_bmp(os.path.join(assets, "menu.bmp")), name="menu")
            game.key("space")
            for number, (px, py) in enumerate(CLICKS, 1):
                game.move_to(px, py)
                game.click(1)
                harness.wait_until(lambda: game.stdout().count("click :") >= number,
                                   harness.DEFAULT_TIMEOUT, "click %d to be handled" % number)
            game.move_to(*POINTER)
            image = settled_capture(game)
            game.key("Escape")
            game.key("Escape")
            game.key("Escape")
            game.wait_exit()
    write_png(output, image)
    print("wrote %s (%dx%d)" % (output, image.width, image.height))


if __name__ == "__main__":
    main()
