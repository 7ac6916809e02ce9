"""End to end: whole games on the playing field, played with real clicks and read back from the
window.

The expected window is built here from the rendering rules and the shipped pictures: a black
screen, the gray panel 9r x 6r, the grid, the black edge at x = 6r and each empty cell as
"NULL.bmp" with its white frame (every border pixel but the bottom-right one). Ring and cross
cells, and a mark under the pointer, are checked against the rules of their own drawing instead
of a picture. A capture (X GetImage) holds the window's pixels without the X cursor, so the
exact comparisons around the pointer also prove the system pointer never lands in a capture.

Run as: play_test.py <noughts binary> <assets dir>
"""

import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import (BLACK, CELL, GRAY, WHITE, HarnessError, Image, cell_centre,  # noqa: E402
                     wait_until)

WINDOW = (480, 272)
# Where the pointer rests while a capture is checked: a 90 x 90 mark (335..424, 105..194) and a
# 150 x 60 result picture (305..454, 120..179) both lie wholly in the window and off the board,
# over the panel's right end and the black beyond it.
REST = (380, 150)
WAIT = harness.DEFAULT_TIMEOUT


def solid(width, height, colour):
    return Image(width, height, bytes(colour) * (width * height))


def framed(image, white=WHITE):
    """image with the white frame the board draws into a cell image: its left and top edges
    whole, its right and bottom edges one pixel short of the bottom-right corner."""
    w, h = image.width, image.height
    for x, y, width, height in ((0, 0, 1, h), (0, 0, w, 1), (w - 1, 0, 1, h - 1),
                                (0, h - 1, w - 1, 1)):
        image = image.paste(solid(width, height, white), x, y)
    return image


def frame_problem(mark, corner):
    """None when mark carries the white frame and its own pixel corner at the bottom right."""
    last = mark.width - 1
    for i in range(mark.width):
        for x, y in ((0, i), (i, 0), (last, i), (i, last)):
            if (x, y) != (last, last) and mark.pixel(x, y) != WHITE:
                return "frame pixel (%d, %d) is %s, not white" % (x, y, mark.pixel(x, y))
    if mark.pixel(last, last) != corner:
        return "bottom-right pixel is %s, expected the image's own %s" % (
            mark.pixel(last, last), corner)
    return None


def on_frame(x, y, size):
    return x in (0, size - 1) or y in (0, size - 1)


def ring_problem(mark, is_framed):
    """The ring: black with the white outline of a circle of radius 45 around the cell's centre.

    A circle point (45 + 45 cos a, 45 - 45 sin a), truncated, is written one column to its left,
    so every white pixel lies 44 to 46 pixels from (43.5, 44.5) and the rest is black.
    """
    if is_framed:
        problem = frame_problem(mark, BLACK)
        if problem:
            return problem
    elif any(mark.pixel(89, y) != BLACK for y in range(90)):
        return "column 89 is not black: the circle never reaches it and no frame is drawn"
    whites = 0
    for y in range(90):
        for x in range(90):
            if is_framed and on_frame(x, y, 90):
                continue
            colour = mark.pixel(x, y)
            distance = math.hypot(x - 43.5, y - 44.5)
            if colour == WHITE and 44 <= distance <= 46:
                whites += 1
            elif colour != BLACK:
                return "pixel (%d, %d) is %s, %.1f from the centre" % (x, y, colour, distance)
    # The outline is about 2 pi 45 = 283 pixels long; sampled every 0.005 radians it is closed.
    if whites < 250:
        return "only %d pixels of the circle are white" % whites
    return None


def cross_problem(mark, empty, is_framed):
    """The cross: "NULL.bmp" with white diagonals over it.

    The first line, (-1, -1) to (90, 90), gives exactly the pixels (k, k). The second, (0, 89)
    to (90, -1), truncates 89 - 90t: (k, 88 - k) for every k up to 88 and (89, 0), plus
    (k, 89 - k) where 90t happens to be a whole number. Every other pixel is the picture's.
    """
    if is_framed:
        problem = frame_problem(mark, WHITE)
        if problem:
            return problem
    diagonal = [(k, k) for k in range(90)] + [(k, 88 - k) for k in range(89)] + [(89, 0)]
    for x, y in diagonal:
        if mark.pixel(x, y) != WHITE:
            return "diagonal pixel (%d, %d) is %s, not white" % (x, y, mark.pixel(x, y))
    for y in range(90):
        for x in range(90):
            if x == y or x + y in (88, 89) or (is_framed and on_frame(x, y, 90)):
                continue
            if mark.pixel(x, y) != empty.pixel(x, y):
                return "pixel (%d, %d) off the diagonals is %s, NULL.bmp has %s" % (
                    x, y, mark.pixel(x, y), empty.pixel(x, y))
    return None


class Field:
    """What the playing field should show: cell radius, the marks on the board and the image
    under the pointer ("ring", "cross" or a result picture). A palettised cell picture without
    pure white or black shows the white and black drawn into it as its nearest colours."""

    def __init__(self, pictures, rings=(), crosses=(), pointer=REST, under_pointer="ring",
                 radius=45, white=WHITE, black=BLACK):
        self.pictures = pictures
        self.white = white
        self.black = black
        self.rings = set(rings)
        self.crosses = set(crosses)
        self.pointer = pointer
        self.under_pointer = under_pointer
        self.radius = radius
        # A mark's image gets its frame once a cell shows it, and the board only ever grows.
        self.framed = {"ring": bool(self.rings), "cross": bool(self.crosses)}

    def mark_at(self, index):
        if index in self.rings:
            return "ring"
        return "cross" if index in self.crosses else None

    def pointer_box(self):
        if self.under_pointer in ("ring", "cross"):
            width = height = CELL
        else:
            width, height = self.under_pointer.width, self.under_pointer.height
        # The picture's top left corner is the pointer minus its halves, truncated.
        return self.pointer[0] - width // 2, self.pointer[1] - height // 2, width, height

    def expected(self, actual):
        """The window by the rendering rules; the areas of drawn marks are copied from actual
        and checked on their own by mark_problems."""
        r = self.radius
        image = solid(*WINDOW, BLACK).paste(solid(9 * r, 6 * r, GRAY), 0, 0)
        # Lines run forward and stop one pixel short of their end: rows or columns 0 to 6r - 1.
        for offset in (2 * r, 4 * r):
            image = image.paste(solid(1, 6 * r, WHITE), offset, 0)
            image = image.paste(solid(6 * r, 1, WHITE), 0, offset)
        image = image.paste(solid(1, 6 * r, BLACK), 6 * r, 0)
        empty_cell = framed(self.pictures["NULL.bmp"], self.white)
        for index in range(9):
            x, y = 2 * r * (index // 3), 2 * r * (index % 3)
            if self.mark_at(index):
                image = image.paste(actual.crop(x, y, CELL, CELL), x, y)
            else:
                image = image.paste(empty_cell, x, y)
        x, y, width, height = self.pointer_box()
        if isinstance(self.under_pointer, Image):
            return image.paste(self.under_pointer, x, y)
        return image.paste(actual.crop(x, y, width, height), x, y)

    def as_drawn(self, mark):
        """mark with the cell picture's own white and black read as white and black."""
        pixels = mark.pixels.copy()
        for colour, meant in ((self.white, WHITE), (self.black, BLACK)):
            pixels[np.all(mark.pixels == colour, axis=2)] = meant
        return Image.from_array(pixels)

    def mark_problems(self, actual):
        empty = self.pictures["NULL.bmp"]
        marks = [("cell %d" % index, self.mark_at(index), 2 * self.radius * (index // 3),
                  2 * self.radius * (index % 3)) for index in range(9) if self.mark_at(index)]
        if not isinstance(self.under_pointer, Image):
            x, y, _, _ = self.pointer_box()
            marks.append(("the image under the pointer", self.under_pointer, x, y))
        for where, mark, x, y in marks:
            crop = self.as_drawn(actual.crop(x, y, CELL, CELL))
            if mark == "ring":
                problem = ring_problem(crop, self.framed["ring"])
            else:
                problem = cross_problem(crop, empty, self.framed["cross"])
            if problem:
                return "%s should be the %s%s: %s" % (
                    where, "framed " if self.framed[mark] else "", mark, problem)
        return None


class PlayTest(harness.GameTestCase):
    def field(self, **kwargs):
        return Field(self.pictures, **kwargs)

    def assert_shows(self, game, field, name):
        """Polls captures until the window is the field; fails with the first problem seen."""
        last = {}

        def shows():
            actual = game.capture()
            expected = field.expected(actual)
            last.update(actual=actual, expected=expected,
                        problem=actual.first_difference(expected) or field.mark_problems(actual))
            return last["problem"] is None

        try:
            wait_until(shows, WAIT, name)
        except HarnessError:
            saved = game.save_mismatch(last["actual"], last["expected"], name)
            self.fail("%s: %s (%s)" % (name, last["problem"], saved))

    def play(self, game, clicks):
        """Left-clicks each window position in turn, each handled before the next, and leaves
        the pointer at REST."""
        for x, y in clicks:
            before = game.stdout().count("click :")
            game.move_to(x, y)
            game.click(1)
            wait_until(lambda: game.stdout().count("click :") > before, WAIT,
                       "the click at (%d, %d) to be handled" % (x, y))
        game.move_to(*REST)

    def leave(self, game, clicks):
        """Escape back through the menu and the intro; checks the exit and every click line."""
        for _ in range(3):
            game.key("Escape")
        self.assertEqual(game.wait_exit(), 0)
        lines = "".join("click : %d, %d, 1\n" % click for click in clicks)
        self.assertEqual(game.stdout(), "1\n%s\n%s" % (harness.ARGV0, lines))

    def test_ring_win_with_refused_and_off_board_clicks_and_clicks_after_it(self):
        game = self.enter_field(self.start_game())
        self.assert_shows(game, self.field(pointer=self.START_POINTER), "empty field on entry")

        # A second click on cell 0, a click right of the board and one below it place nothing
        # and the cross stays to move (an odd count, so a turn passed on each would show); the
        # cross has no frame until a cell shows it.
        opening = [cell_centre(0), (50, 50), (300, 45), (45, 271)]
        self.play(game, opening)
        self.assert_shows(game, self.field(rings=[0], under_pointer="cross"),
                          "one ring, the cross to move")

        moves = [cell_centre(3), cell_centre(1), cell_centre(4), cell_centre(2)]
        self.play(game, moves)
        won = self.field(rings=[0, 1, 2], crosses=[3, 4], under_pointer=self.pictures["win1.bmp"])
        self.assert_shows(game, won, "rings win the left column")

        after = [cell_centre(8), cell_centre(5), (479, 271), REST]
        self.play(game, after)
        self.assert_shows(game, won, "clicks after the win change nothing")
        self.leave(game, opening + moves + after)

    def test_cross_win_around_the_item_picture(self):
        game = self.enter_field(self.start_game())
        first = [cell_centre(0), cell_centre(3), cell_centre(1)]
        self.play(game, first)
        self.assert_shows(game, self.field(rings=[0, 1], crosses=[3], under_pointer="cross"),
                          "two rings and a cross")

        game.key("i")
        game.wait_for_image(self.pictures["item.bmp"], name="item picture")
        # Moved while the card shows, the pointer is put back when it closes, and a click without
        # motion lands there; where the game cannot move the pointer, where the user left it.
        aside = (420, 60)
        game.move_to(*aside)
        game.key("Escape")
        # The same game, the cross still to move and the pointer where it was.
        self.assert_shows(game, self.field(rings=[0, 1], crosses=[3], under_pointer="cross"),
                          "the same game after the item picture")
        landed = REST if harness.game_moves_pointer() else aside
        game.click(1)
        wait_until(lambda: game.stdout().endswith("click : %d, %d, 1\n" % landed), WAIT,
                   "a click without motion at %s" % (landed,))

        rest = [cell_centre(4), cell_centre(8), cell_centre(5)]
        self.play(game, rest)
        won = self.field(rings=[0, 1, 8], crosses=[3, 4, 5],
                         under_pointer=self.pictures["win2.bmp"])
        self.assert_shows(game, won, "crosses win the middle column")
        self.leave(game, first + [landed] + rest)

    def test_draw_then_a_new_game_starts_empty(self):
        game = self.enter_field(self.start_game())
        # Rings 0, 8, 6, 5, 1 and crosses 4, 2, 3, 7: no line before or after the ninth mark.
        moves = [cell_centre(i) for i in (0, 4, 8, 2, 6, 3, 5, 7, 1)]
        self.play(game, moves)
        self.assert_shows(game, self.field(rings=[0, 1, 5, 6, 8], crosses=[2, 3, 4, 7],
                                           under_pointer=self.pictures["DRAW.bmp"]),
                          "a full board without a line is a draw")

        game.key("Escape")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu after the game")
        game.key("space")
        self.assert_shows(game, self.field(pointer=self.START_POINTER), "empty field again")
        if harness.WAYLAND == "native":
            self.skipTest("SDL 2.26's Wayland driver drops the first motion after the game has "
                          "moved the hidden pointer, so the next click lands where it was before")
        # Rings move first again, on a cell the cross held; the cross is a fresh, unframed copy.
        again = [cell_centre(4)]
        self.play(game, again)
        self.assert_shows(game, self.field(rings=[4], under_pointer="cross"),
                          "a ring opens the new game")
        self.leave(game, moves + again)

    def test_wheel_resizes_the_drawn_board_only(self):
        game = self.enter_field(self.start_game())
        game.move_to(*REST)
        self.assert_shows(game, self.field(), "empty field at radius 45")
        # At 45 wheel down does nothing, so down then up leaves 44: cells 88 apart, the panel
        # 396 x 264, the black edge at x = 264 hidden under the right column's 90-pixel cells.
        game.click(5)
        game.click(4)
        self.assert_shows(game, self.field(radius=44), "empty field at radius 44")
        game.click(5)
        self.assert_shows(game, self.field(), "empty field back at radius 45")
        self.leave(game, [])


if __name__ == "__main__":
    harness.run_tests()
